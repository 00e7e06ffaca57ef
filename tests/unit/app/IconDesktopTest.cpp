#include "app/AppDelegate.h"
#include "app/IconDesktopChoices.h"
#include "app/IconDesktopPrograms.h"
#include "platform/fake/RecordingPlatform.h"
#include "tests/support/AppLaunch.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using platform::IconDesktopSighting;

const IconDesktopSighting cajaDesktop{"desktop_window", "Caja", {"caja", "-n"}};
const IconDesktopSighting pcmanfmDesktop{"pcmanfm", "Pcmanfm", {"/usr/bin/pcmanfm", "--desktop", "--profile", "LXDE"}};

class IconDesktopTest : public ::testing::Test, protected testing_support::AppLaunch {
protected:
    IconDesktopTest() { home.writeSettings(R"({"selectedViewID": "crypto_chart", "firstLaunchDone": true})"); }

    // The icon program's desktop is seen over the wallpaper and the main loop runs on.
    void seen(const IconDesktopSighting& sighting) {
        fake.windows.front()->hideByIconDesktop(sighting);
        fake.mainQueue_.advance(0);
    }
    std::vector<std::string> menuTitles() {
        std::vector<std::string> titles;
        for (const auto& item : fake.statusItems.back()->menu->items) {
            titles.push_back(item->isSeparator ? "---" : item->title());
        }
        return titles;
    }
    void choose(const std::string& title) {
        auto* item = fake.statusItems.back()->menu->itemTitled(title);
        ASSERT_NE(item, nullptr) << "no menu item " << title;
        item->choose();
    }
    std::string choicesFile() const {
        std::ifstream input(IconDesktopChoices::defaultFile());
        return std::string(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
    }
    // The same home, a new run of the application.
    void relaunch() {
        delegate.reset();
        // The windows and the status item of the run that ended are gone with it.
        fake.windows.clear();
        fake.statusItems.clear();
        fake.webViews.clear();
        fake.settingsWindows.clear();
        fake.alerts_.shown.clear();
        fake.programs_.ran.clear();
        fake.programs_.launched.clear();
        launch();
    }
};

TEST_F(IconDesktopTest, ASettingIsTurnedOffOnlyAfterTheAnswerAndPutBackAsItWas) {
    const std::string settingsBefore = home.readSettings();
    launch();
    seen(cajaDesktop);
    ASSERT_EQ(fake.alerts_.shown.size(), 1u);
    const auto& question = fake.alerts_.shown.front();
    EXPECT_EQ(question.messageText, "caja's desktop hides the live wallpaper");
    EXPECT_EQ(question.buttons, (std::vector<std::string>{"Turn Off caja's Desktop", "Later"}));
    EXPECT_TRUE(
        fake.record.contains("log ⚠️ caja's desktop hides the live wallpaper; asking whether to turn it off"));

    // The value is read before it is changed, and the change waits for the read.
    EXPECT_EQ(fake.programs_.ran, (std::vector<std::string>{"gsettings get org.mate.background show-desktop-icons"}));
    fake.programs_.outcomes["gsettings get org.mate.background show-desktop-icons"] = {true, 0, "true\n"};
    fake.programs_.finishAll();
    EXPECT_EQ(fake.programs_.ran.back(), "gsettings set org.mate.background show-desktop-icons false");
    EXPECT_EQ(menuTitles(),
              (std::vector<std::string>{"Hide Wallpaper", "Settings", "Install Screen Saver\u2026",
                                        "Open Screen Saver Preferences", "Show caja's Desktop Again", "---", "Quit"}));
    // The application's settings file is not where this is kept.
    EXPECT_EQ(home.readSettings(), settingsBefore);

    // Back in the same run, something restarts it: it is not fought over.
    seen(cajaDesktop);
    EXPECT_EQ(fake.programs_.ran.size(), 2u);
    EXPECT_EQ(fake.alerts_.shown.size(), 1u);

    choose("Show caja's Desktop Again");
    EXPECT_EQ(fake.programs_.ran.back(), "gsettings set org.mate.background show-desktop-icons true");
    fake.programs_.finishAll();
    EXPECT_EQ(menuTitles().size(), 6u);
    // Brought back by the user: neither asked about nor turned off again, in this run or the next.
    const auto runs = fake.programs_.ran.size();
    seen(cajaDesktop);
    relaunch();
    seen(cajaDesktop);
    EXPECT_TRUE(fake.alerts_.shown.empty());
    EXPECT_TRUE(fake.programs_.ran.empty());
    EXPECT_EQ(runs, 3u);
}

TEST_F(IconDesktopTest, LaterIsRememberedAndAClosedQuestionComesBackOnlyAtTheNextStart) {
    launch();
    fake.alerts_.answers = {0};  // closed without an answer
    seen(cajaDesktop);
    seen(cajaDesktop);
    EXPECT_EQ(fake.alerts_.shown.size(), 1u);

    relaunch();
    fake.alerts_.answers = {platform::alertSecondButtonReturn};
    seen(cajaDesktop);
    EXPECT_EQ(fake.alerts_.shown.size(), 1u);
    EXPECT_TRUE(fake.programs_.ran.empty());

    relaunch();
    seen(cajaDesktop);
    EXPECT_TRUE(fake.alerts_.shown.empty());
    EXPECT_TRUE(fake.programs_.ran.empty());
    EXPECT_EQ(menuTitles().size(), 6u);
}

TEST_F(IconDesktopTest, ADesktopNothingCanTurnOffIsExplainedOnceAndNothingIsRun) {
    const IconDesktopSighting plasmaDesktop{"plasmashell", "plasmashell", {"/usr/bin/plasmashell"}};
    launch();
    seen(plasmaDesktop);
    ASSERT_EQ(fake.alerts_.shown.size(), 1u);
    const auto& notice = fake.alerts_.shown.front();
    EXPECT_EQ(notice.messageText, "plasmashell's desktop hides the live wallpaper");
    EXPECT_NE(notice.informativeText.find("KDE Plasma"), std::string::npos) << notice.informativeText;
    // No action to offer: the platform's single button only acknowledges.
    EXPECT_TRUE(notice.buttons.empty());
    EXPECT_TRUE(fake.programs_.ran.empty());
    EXPECT_TRUE(fake.programs_.launched.empty());
    EXPECT_EQ(menuTitles().size(), 6u);

    // Told once: neither later in this run nor at the next start.
    seen(plasmaDesktop);
    relaunch();
    seen(plasmaDesktop);
    EXPECT_TRUE(fake.alerts_.shown.empty());
}

TEST_F(IconDesktopTest, AProgramAskedToStopIsStartedAgainWithItsOwnCommandLine) {
    launch();
    seen(pcmanfmDesktop);
    fake.programs_.finishAll();
    EXPECT_EQ(fake.programs_.ran, (std::vector<std::string>{"pcmanfm --desktop-off"}));

    // Off at the next start too (a session starts it at login), until the user brings it back.
    relaunch();
    EXPECT_EQ(menuTitles()[4], "Show pcmanfm's Desktop Again");
    seen(pcmanfmDesktop);
    fake.programs_.finishAll();
    seen(pcmanfmDesktop);
    EXPECT_TRUE(fake.alerts_.shown.empty());
    EXPECT_EQ(fake.programs_.ran, (std::vector<std::string>{"pcmanfm --desktop-off"}));

    fake.programs_.launchSucceeds = false;
    choose("Show pcmanfm's Desktop Again");
    ASSERT_EQ(fake.alerts_.shown.size(), 1u);
    EXPECT_EQ(fake.alerts_.shown.back().messageText, "Cannot Show pcmanfm's Desktop Again");
    EXPECT_EQ(menuTitles()[4], "Show pcmanfm's Desktop Again");

    fake.programs_.launchSucceeds = true;
    choose("Show pcmanfm's Desktop Again");
    EXPECT_EQ(fake.programs_.launched.back(), "/usr/bin/pcmanfm --desktop --profile LXDE");
    EXPECT_EQ(menuTitles().size(), 6u);
}

TEST_F(IconDesktopTest, NothingChangesWhenTheOldValueCannotBeReadOrTheProgramIsUnknown) {
    launch();
    seen(IconDesktopSighting{"nautilus-desktop", "Nautilus-desktop", {}});
    EXPECT_TRUE(fake.alerts_.shown.empty());

    fake.programs_.outcomes["gsettings get org.mate.background show-desktop-icons"] = {true, 1, ""};
    seen(cajaDesktop);
    fake.programs_.finishAll();
    // Without the value it held, the setting could not be put back: it is left alone.
    EXPECT_EQ(fake.programs_.ran, (std::vector<std::string>{"gsettings get org.mate.background show-desktop-icons"}));
    ASSERT_EQ(fake.alerts_.shown.size(), 2u);
    EXPECT_EQ(fake.alerts_.shown.back().messageText, "Cannot Turn Off caja's Desktop");
    EXPECT_EQ(menuTitles().size(), 6u);
}

TEST(IconDesktopProgramsTest, EachIconProgramIsKnownByItsWindowClass) {
    const auto named = [](const IconDesktopSighting& sighting) {
        const auto program = iconDesktopProgramFor(sighting);
        return program ? program->name : std::string("unknown");
    };
    EXPECT_EQ(named({"desktop_window", "Caja", {}}), "caja");
    EXPECT_EQ(named({"pcmanfm-qt", "pcmanfm-qt", {}}), "pcmanfm-qt");
    EXPECT_EQ(named({"pcmanfm", "Pcmanfm", {}}), "pcmanfm");
    EXPECT_EQ(named({"xfdesktop", "Xfdesktop", {}}), "xfdesktop");
    EXPECT_EQ(named({"nemo-desktop", "Nemo-desktop", {}}), "nemo");
    EXPECT_EQ(named({"plasmashell", "plasmashell", {}}), "plasmashell");
    EXPECT_EQ(named({"nautilus-desktop", "Nautilus-desktop", {}}), "unknown");

    // Only the program's own command line starts it again, never the one that stopped it.
    const auto xfdesktop = *iconDesktopProgramNamed("xfdesktop");
    EXPECT_EQ(restartCommand(xfdesktop, {"/usr/bin/xfdesktop", "--disable-wm-check"}),
              (std::vector<std::string>{"/usr/bin/xfdesktop", "--disable-wm-check"}));
    EXPECT_EQ(restartCommand(xfdesktop, {"/usr/bin/pcmanfm", "--desktop"}), (std::vector<std::string>{"xfdesktop"}));
    EXPECT_EQ(restartCommand(xfdesktop, {"xfdesktop", "--quit"}), (std::vector<std::string>{"xfdesktop"}));
}

}  // namespace
