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
    for (const auto& arguments : std::vector<std::vector<std::string>>{{"-window-id"},
                                                                       {"-window-id", "0xZZ"},
                                                                       {"-window-id", "0"},
                                                                       {"-window-id", "-5"},
                                                                       {"-window-id", "0x12 "},
                                                                       {"-window-id", "0x100000000"},
                                                                       {"--saver"},
                                                                       {"--fullscreen"}}) {
        const auto result = parseHostOptions(arguments, nullptr);
        EXPECT_FALSE(result.options) << arguments.front();
        EXPECT_FALSE(result.error.empty());
    }
    EXPECT_FALSE(parseHostOptions({"-root"}, "garbage").options);
    EXPECT_EQ(parseHostOptions({"--saver", "/opt/x.saver"}, nullptr).options->saverPath, "/opt/x.saver");
}

TEST(HostOptionsTest, OutsideTextInAReasonCannotForgeOrDriveALogLine) {
    const std::string forged = "x\n2026-12-07 13:00:00.000 tavelo[1:1] ✅ Finished loading.\r\x1b[2K\x7f";
    const std::vector<host::HostOptionsResult> refusals{
        parseHostOptions({forged}, nullptr),
        parseHostOptions({"-window-id", forged}, nullptr),
        parseHostOptions({"--window-id=" + forged}, nullptr),
        parseHostOptions({"-root"}, forged.c_str()),
    };
    for (const auto& refusal : refusals) {
        ASSERT_FALSE(refusal.options);
        for (unsigned char c : refusal.error) {
            EXPECT_FALSE(c < 0x20 || c == 0x7f) << "raw control character " << int(c) << " in: " << refusal.error;
        }
        // What was given is still there to read, escaped.
        EXPECT_NE(refusal.error.find("x\\n2026-12-07"), std::string::npos) << refusal.error;
        EXPECT_NE(refusal.error.find("\\r\\u001b[2K\\u007f"), std::string::npos) << refusal.error;
        EXPECT_NE(refusal.error.find("✅ Finished loading."), std::string::npos) << "other text is kept as it is";
    }
    EXPECT_EQ(refusals[3].error.rfind("Bad window id in XSCREENSAVER_WINDOW: ", 0), 0u);
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
