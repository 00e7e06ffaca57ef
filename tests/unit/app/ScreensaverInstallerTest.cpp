#include "app/AppDelegate.h"
#include "app/SettingsStore.h"
#include "platform/FileURL.h"
#include "platform/fake/RecordingPlatform.h"
#include "tests/support/AppLaunch.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

constexpr const char* saverName = "Tavelo Live Wallpaper Screensaver.saver";

class ScreensaverInstallerTest : public ::testing::Test, protected testing_support::AppLaunch {
protected:
    std::filesystem::path besideApp() const { return home.path() / saverName; }
    std::filesystem::path insideApp() const { return bundlePath / "Contents/Resources" / saverName; }
    static void makeSaverFolder(const std::filesystem::path& path) {
        std::filesystem::create_directories(path / "Contents");
    }
    std::vector<std::string> alertsAndOpens() const {
        std::vector<std::string> result;
        for (const auto& call : fake.record.calls()) {
            if (call.starts_with("alert ") || call.starts_with("workspace.open")) {
                result.push_back(call);
            }
        }
        return result;
    }
};

TEST_F(ScreensaverInstallerTest, TheBundleBesideTheApplicationWinsOverTheOneInside) {
    makeSaverFolder(besideApp());
    makeSaverFolder(insideApp());
    laterLaunch();
    delegate->installScreensaver();
    EXPECT_EQ(alertsAndOpens(), (std::vector<std::string>{"workspace.open " + platform::fileURLFromPath(besideApp())}));

    std::filesystem::remove_all(besideApp());
    fake.record.clear();
    delegate->installScreensaver();
    EXPECT_EQ(alertsAndOpens(), (std::vector<std::string>{"workspace.open " + platform::fileURLFromPath(insideApp())}));
}

TEST_F(ScreensaverInstallerTest, APlainFileWithTheBundlesNameCountsAndEachCallSearchesAgain) {
    laterLaunch();
    std::ofstream(besideApp()) << "not a bundle";
    delegate->installScreensaver();
    delegate->installScreensaver();
    EXPECT_EQ(fake.workspace_.opened, (std::vector<std::string>(2, platform::fileURLFromPath(besideApp()))));
}

TEST_F(ScreensaverInstallerTest, NoBundleAnywhereShowsTheNotFoundAlertAndHandsNothingOver) {
    laterLaunch();
    delegate->installScreensaver();
    EXPECT_TRUE(fake.workspace_.opened.empty());
    ASSERT_EQ(fake.alerts_.shown.size(), 1u);
    const auto& alert = fake.alerts_.shown[0];
    EXPECT_EQ(alert.messageText, "Screen Saver Not Found");
    EXPECT_EQ(alert.informativeText,
              "Could not find the screen saver bundle. Make sure it's in the same folder as Tavelo.");
    EXPECT_EQ(alert.style, platform::AlertStyle::warning);
    EXPECT_TRUE(alert.buttons.empty());
}

TEST_F(ScreensaverInstallerTest, TheMenuItemInstallsDirectlyWithoutTheQuestion) {
    makeSaverFolder(besideApp());
    laterLaunch();
    fake.statusItems.at(0)->menu->itemTitled("Install Screen Saver\u2026")->choose();
    EXPECT_EQ(alertsAndOpens(), (std::vector<std::string>{"workspace.open " + platform::fileURLFromPath(besideApp())}));
}

TEST_F(ScreensaverInstallerTest, TheFirstLaunchAsksHalfASecondAfterStartUpWithBothButtons) {
    launch();
    EXPECT_EQ(fake.record.calls().back(), "mainQueue.asyncAfter 0.5") << "scheduled last, after the menu";
    EXPECT_EQ(fake.mainQueue_.pendingBlocks(), 1u);

    fake.alerts_.answers = {platform::alertSecondButtonReturn};
    fake.mainQueue_.advance(0.49);
    EXPECT_TRUE(fake.alerts_.shown.empty());
    fake.mainQueue_.advance(0.01);
    ASSERT_EQ(fake.alerts_.shown.size(), 1u);
    const auto& alert = fake.alerts_.shown[0];
    EXPECT_EQ(alert.messageText, "Install Screen Saver?");
    EXPECT_EQ(alert.informativeText, "Tavelo includes a screen saver showing the same live view. Install it now?");
    EXPECT_EQ(alert.style, platform::AlertStyle::informational);
    EXPECT_EQ(alert.buttons, (std::vector<std::string>{"Install Screen Saver", "Later"}));
}

TEST_F(ScreensaverInstallerTest, InstallingFromTheQuestionHandsTheBundleOverOrSaysItIsMissing) {
    makeSaverFolder(insideApp());
    launch();
    fake.mainQueue_.advance(0.5);
    EXPECT_EQ(alertsAndOpens(), (std::vector<std::string>{"alert Install Screen Saver? [Install Screen Saver] [Later]",
                                                          "workspace.open " + platform::fileURLFromPath(insideApp())}));
}

TEST_F(ScreensaverInstallerTest, AnsweringInstallWithNoBundleAnywhereIsFollowedByNotFound) {
    launch();
    fake.mainQueue_.advance(0.5);
    EXPECT_EQ(alertsAndOpens(), (std::vector<std::string>{"alert Install Screen Saver? [Install Screen Saver] [Later]",
                                                          "alert Screen Saver Not Found"}));
}

TEST_F(ScreensaverInstallerTest, LaterDoesNothingAndNoLaterLaunchAsksAgain) {
    makeSaverFolder(besideApp());
    launch();
    fake.alerts_.answers = {platform::alertSecondButtonReturn};
    fake.mainQueue_.advance(0.5);
    EXPECT_EQ(fake.record.calls().back(), "alert Install Screen Saver? [Install Screen Saver] [Later]")
        << "nothing follows the answer";
    EXPECT_TRUE(fake.workspace_.opened.empty());

    // The next launch of the application reads the recorded first launch.
    delegate.reset();
    platform::fake::RecordingPlatform next{bundlePath};
    testing_support::FreshSettingsStore nextSettings;
    AppDelegate again(next, nextSettings);
    again.applicationDidFinishLaunching();
    next.mainQueue_.advance(10);
    EXPECT_FALSE(next.record.contains("mainQueue.asyncAfter"));
    EXPECT_TRUE(next.alerts_.shown.empty());
}

TEST_F(ScreensaverInstallerTest, QuittingBeforeTheHalfSecondMeansTheQuestionNeverComes) {
    launch();
    fake.statusItems.at(0)->menu->itemTitled("Quit")->choose();
    EXPECT_EQ(fake.application_.terminatedWith, 0);
    delegate.reset();  // the platform ends the run and lets the delegate go
    fake.mainQueue_.advance(1);
    EXPECT_TRUE(fake.alerts_.shown.empty());
}

}  // namespace
