#include "host/HostOptions.h"
#include "host/PreviewDetection.h"
#include "screensaver/ModuleBundle.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

namespace {

using testing_support::TemporaryFolder;

using host::parseHostOptions;
using host::TargetKind;

TEST(HostOptionsTest, ChoosesTheTarget) {
    auto byHand = parseHostOptions({}, nullptr);
    ASSERT_TRUE(byHand.options);
    EXPECT_EQ(byHand.options->target, TargetKind::ownWindow);

    for (const char* root : {"-root", "--root"}) {
        auto fromXScreenSaver = parseHostOptions({root}, "0xC0000C");
        ASSERT_TRUE(fromXScreenSaver.options) << fromXScreenSaver.error;
        EXPECT_EQ(fromXScreenSaver.options->target, TargetKind::windowID);
        EXPECT_EQ(fromXScreenSaver.options->windowID, 0xC0000Cu);
        EXPECT_EQ(parseHostOptions({root}, nullptr).options->target, TargetKind::rootWindow);
    }
    // Without -root the variable is not ours to follow.
    EXPECT_EQ(parseHostOptions({}, "0xC0000C").options->target, TargetKind::ownWindow);

    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"-window-id", "0x2a00007"}, {"--window-id", "44040199"}, {"--window-id=0x2A00007"}}) {
        auto named = parseHostOptions(arguments, "0x1234");
        ASSERT_TRUE(named.options) << named.error;
        EXPECT_EQ(named.options->target, TargetKind::windowID);
        EXPECT_EQ(named.options->windowID, 0x2a00007u);
    }
}

TEST(HostOptionsTest, RefusesWhatItCannotUse) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"-window-id"}, {"-window-id", "0xZZ"}, {"-window-id", "0"}, {"-window-id", "-5"},
             {"-window-id", "0x12 "}, {"-window-id", "0x100000000"}, {"--saver"}, {"--fullscreen"}}) {
        const auto result = parseHostOptions(arguments, nullptr);
        EXPECT_FALSE(result.options) << arguments.front();
        EXPECT_FALSE(result.error.empty());
    }
    EXPECT_FALSE(parseHostOptions({"-root"}, "garbage").options);
    EXPECT_EQ(parseHostOptions({"--saver", "/opt/x.saver"}, nullptr).options->saverPath, "/opt/x.saver");
}

TEST(PreviewDetectionTest, OnlyAWindowMuchSmallerThanTheScreenIsAPreview) {
    const platform::Rect screen{0, 0, 1920, 1080};
    EXPECT_FALSE(host::isPreviewFrame(screen, screen));
    EXPECT_TRUE(host::isPreviewFrame({100, 100, 320, 240}, screen));
    EXPECT_FALSE(host::isPreviewFrame({0, 0, 1920, 300}, screen)) << "a wide strip is no preview";
    EXPECT_FALSE(host::isPreviewFrame({0, 0, 960, 540}, screen)) << "half the screen is no preview";
}

TEST(ModuleBundleTest, TheModuleFindsTheBundleThatHoldsIt) {
    TemporaryFolder folder;
    const auto module = folder.write("Some Saver.saver/Contents/Linux/module.so", "");
    EXPECT_EQ(screensaver::bundleForModuleAt(module).bundlePath(),
              std::filesystem::canonical(folder.path() / "Some Saver.saver"));
    const auto loose = folder.write("lib/module.so", "");
    EXPECT_EQ(screensaver::bundleForModuleAt(loose).resourcesPath(),
              std::filesystem::canonical(folder.path() / "lib") / "Contents/Resources");
}

}  // namespace
