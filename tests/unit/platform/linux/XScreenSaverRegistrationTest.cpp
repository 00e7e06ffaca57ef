#include "platform/fake/FakeAlertPresenter.h"
#include "platform/linux/XScreenSaverInstaller.h"
#include "platform/linux/XScreenSaverPrograms.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using platform::RegistrationOutcome;

const platform::XScreenSaverProgram ours{"Tavelo Live Wallpaper",
                                         "/opt/tavelo/bin/tavelo-live-wallpaper-screensaver --root"};

// A settings file as XScreenSaver's settings tool writes it, with a chosen program.
const std::string existing =
    "# XScreenSaver Preferences File\n"
    "timeout:\t0:10:00\n"
    "mode:\t\tone\n"
    "selected:\t1\n"
    "\n"
    "programs:\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
    "  GL: \t\t\t\tsuperquadrics -root\t\t    \\n\\\n"
    "-\t\t\t\txflame -root\t\t\t    \\n\n"
    "\n"
    "pointerHysteresis:  10\n";

std::string read(const fs::path& file) {
    std::ifstream input(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream input(text);
    for (std::string line; std::getline(input, line);) {
        result.push_back(line);
    }
    return result;
}

TEST(XScreenSaverProgramsTest, OurEntryGoesLastAndEveryOtherLineStaysAsItWas) {
    const auto updated = platform::withProgramRegistered(existing, ours);
    const auto before = lines(existing);
    const auto after = lines(updated);
    ASSERT_EQ(after.size(), before.size() + 1);
    for (std::size_t i = 0; i < before.size(); ++i) {
        const auto& expected = i == 8 ? before[i] + "\\" : before[i];  // the list's old end now continues
        EXPECT_EQ(after[i < 9 ? i : i + 1], expected) << "line " << i;
    }
    EXPECT_EQ(after[9], "  \"Tavelo Live Wallpaper\"  /opt/tavelo/bin/tavelo-live-wallpaper-screensaver --root \\n");
    // The other programs, in order, so that "selected: 1" still names superquadrics.
    EXPECT_TRUE(platform::hasProgramCommand(updated, "maze -root"));
    EXPECT_TRUE(platform::hasProgramCommand(updated, "superquadrics -root"));
    EXPECT_TRUE(platform::hasProgramCommand(updated, "xflame -root"));
    EXPECT_TRUE(platform::hasProgramCommand(updated, ours.command));
}

TEST(XScreenSaverProgramsTest, ListsOfEveryShapeGainTheEntryAndOnlyOnce) {
    struct Case {
        std::string before;
        std::string after;
    };
    const std::string entry = platform::programsEntryLine(ours);
    const std::vector<Case> cases{
        {"mode: random\n", "mode: random\nprograms: \\\n" + entry + "\n"},
        {"programs:\nlock: False\n", "programs: \\\n" + entry + "\nlock: False\n"},
        {"programs: maze -root", "programs: maze -root \\n\\\n" + entry + "\n"},
        {"programs: \\\n  maze -root \\n\\\n", "programs: \\\n  maze -root \\n\\\n" + entry + "\n"},
    };
    for (const auto& c : cases) {
        const auto once = platform::withProgramRegistered(c.before, ours);
        EXPECT_EQ(once, c.after) << c.before;
        EXPECT_EQ(platform::withProgramRegistered(once, ours), once) << "a second registration adds nothing";
    }
}

TEST(XScreenSaverProgramsTest, AnEntryRunningTheSameCommandCountsEvenWhenDisabledOrAlignedDifferently) {
    const std::string disabled =
        "programs: \\\n-  \"Tavelo\"\t/opt/tavelo/bin/tavelo-live-wallpaper-screensaver   --root \\n\n";
    EXPECT_EQ(platform::withProgramRegistered(disabled, ours), disabled);
    const std::string other =
        "programs: \\\n  \"Tavelo\" /opt/tavelo/bin/tavelo-live-wallpaper-screensaver --root --saver x\n";
    EXPECT_NE(platform::withProgramRegistered(other, ours), other);
}

TEST(XScreenSaverProgramsTest, SelectingMakesOurEntryTheOneInUseAndLeavesOtherSettingsAlone) {
    const auto updated = platform::withProgramInUse(existing, ours);
    const auto before = lines(platform::withProgramRegistered(existing, ours));
    const auto after = lines(updated);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (i == 2) {
            EXPECT_EQ(after[i], "mode:\t\tone");
        } else if (i == 3) {
            EXPECT_EQ(after[i], "selected:\t3") << "maze, superquadrics, the disabled xflame, then ours";
        } else {
            EXPECT_EQ(after[i], before[i]) << "line " << i;
        }
    }
    EXPECT_EQ(platform::withProgramInUse(updated, ours), updated) << "installing again changes nothing";
}

TEST(XScreenSaverProgramsTest, MissingSettingsAreAddedBeforeTheListAndADisabledEntryIsEnabled) {
    struct Case {
        std::string before;
        std::string after;
    };
    const std::string entry = platform::programsEntryLine(ours);
    const std::vector<Case> cases{
        // A random-mode file with our entry first among others: only the mode changes and
        // "selected:" is added before the list.
        {"mode: random\nprograms: \\\n" + entry + "\\\n  maze -root \\n\n",
         "mode: one\nselected:\t\t0\nprograms: \\\n" + entry + "\\\n  maze -root \\n\n"},
        // The X resource spelling of the keys, and our entry switched off with "-".
        {"*selected: 0\nprograms: maze -root \\n\\\n- \"Tavelo\" /opt/tavelo/bin/tavelo-live-wallpaper-screensaver "
         "--root\n*mode:\tblank\n",
         "*selected: 1\nprograms: maze -root \\n\\\n  \"Tavelo\" /opt/tavelo/bin/tavelo-live-wallpaper-screensaver "
         "--root\n*mode:\tone\n"},
        // A disabled entry on the list's first line.
        {"programs: -  /opt/tavelo/bin/tavelo-live-wallpaper-screensaver --root\n",
         "mode:\t\tone\nselected:\t\t0\nprograms:    /opt/tavelo/bin/tavelo-live-wallpaper-screensaver --root\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::withProgramInUse(c.before, ours), c.after) << c.before;
    }
    // A line of the list that reads like the setting (an entry with the visual "mode") is not it.
    const std::string lookalike = "programs: \\\n  mode: xmode -root \\n\\\n" + entry + "\n";
    const auto selected = platform::withProgramInUse(lookalike, ours);
    EXPECT_NE(selected.find("\n  mode: xmode -root \\n\\\n"), std::string::npos) << selected;
    EXPECT_EQ(selected.rfind("mode:\t\tone\nselected:\t\t1\nprograms:", 0), 0u) << selected;
    // Nothing to select where no entry runs the command.
    EXPECT_EQ(platform::withProgramSelected("mode: random\n", ours.command), "mode: random\n");
}

TEST(XScreenSaverRegistrationTest, RegistersInTheUsersFileKeepingItsProgramsAndOnlyOnce) {
    testing_support::TemporaryHome home;
    const auto file = platform::xscreensaverSettingsFile();
    EXPECT_EQ(file, home.path() / ".xscreensaver");
    std::ofstream(file, std::ios::binary) << existing;

    EXPECT_EQ(platform::registerXScreenSaverProgram(file, ours).outcome, RegistrationOutcome::added);
    const auto once = read(file);
    EXPECT_EQ(once, platform::withProgramInUse(existing, ours));
    EXPECT_EQ(platform::registerXScreenSaverProgram(file, ours).outcome, RegistrationOutcome::alreadyRegistered);
    EXPECT_EQ(read(file), once);
}

TEST(XScreenSaverRegistrationTest, AMissingFileIsCreatedAndALinkedOneIsChangedWhereItLives) {
    testing_support::TemporaryHome home;
    const auto file = home.path() / ".xscreensaver";
    EXPECT_EQ(platform::registerXScreenSaverProgram(file, ours).outcome, RegistrationOutcome::added);
    const auto created = read(file);
    EXPECT_TRUE(platform::hasProgramCommand(created, ours.command));
    EXPECT_NE(created.find("mode:\t\tone\nselected:\t\t0\n"), std::string::npos) << created;

    const auto kept = home.path() / "dotfiles" / "xscreensaver";
    fs::create_directories(kept.parent_path());
    std::ofstream(kept, std::ios::binary) << existing;
    fs::remove(file);
    fs::create_symlink(kept, file);
    EXPECT_EQ(platform::registerXScreenSaverProgram(file, ours).outcome, RegistrationOutcome::added);
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_TRUE(platform::hasProgramCommand(read(kept), ours.command));
}

class XScreenSaverInstallerTest : public ::testing::Test {
protected:
    XScreenSaverInstallerTest() {
        fs::create_directories(prefix / "bin");
        std::ofstream(host) << "#!/bin/sh\n";
        fs::permissions(host, fs::perms::owner_all);
        makeSaverBundle(ownSaver);
    }

    // What the build puts in a .saver bundle, with a module that starts like a shared object.
    static void makeSaverBundle(const fs::path& bundle) {
        fs::create_directories(bundle / "Contents/Linux");
        std::ofstream(bundle / "Contents/Info.json")
            << R"({"CFBundleExecutable": "module.so", "NSPrincipalClass": "Drovanik_Live_ScreensaverView"})";
        std::ofstream(bundle / "Contents/Linux/module.so", std::ios::binary) << std::string(
            "\x7f"
            "ELF\x02\x01",
            6);
    }
    // Whether the attempt ended in the failure alert with nothing written and no question asked.
    void expectRefusedWithoutAsking(const fs::path& bundle, const std::string& what) {
        alerts.shown.clear();
        EXPECT_FALSE(installer.install(bundle)) << what;
        EXPECT_FALSE(fs::exists(settingsFile)) << what;
        ASSERT_EQ(alerts.shown.size(), 1u) << what;
        EXPECT_EQ(alerts.shown[0].messageText, "Screen Saver Not Installed") << what;
        EXPECT_NE(alerts.shown[0].informativeText.find("not a screen-saver bundle"), std::string::npos) << what;
    }

    testing_support::TemporaryHome home;
    fs::path prefix = home.path() / "opt tavelo";
    fs::path host = prefix / "bin/tavelo-live-wallpaper-screensaver";
    fs::path ownSaver = prefix / "lib/tavelo-live-wallpaper/Tavelo Live Wallpaper Screensaver.saver";
    fs::path settingsFile = home.path() / ".xscreensaver";
    platform::fake::CallRecord record;
    platform::fake::FakeAlertPresenter alerts{record};
    platform::XScreenSaverInstaller installer{alerts, host, settingsFile};
};

TEST_F(XScreenSaverInstallerTest, CancellingChangesNothing) {
    alerts.answers = {platform::alertSecondButtonReturn};
    EXPECT_FALSE(installer.install(ownSaver));
    EXPECT_FALSE(fs::exists(settingsFile));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].buttons, (std::vector<std::string>{"Install", "Cancel"}));
}

TEST_F(XScreenSaverInstallerTest, ConfirmingMakesTheHostTheScreenSaverInUse) {
    std::ofstream(settingsFile, std::ios::binary) << existing;
    EXPECT_TRUE(installer.install(ownSaver));
    const auto command = "'" + host.string() + "' --root";
    const auto written = read(settingsFile);
    EXPECT_TRUE(platform::hasProgramCommand(written, command)) << written;
    EXPECT_NE(written.find("\nmode:\t\tone\nselected:\t3\n"), std::string::npos) << written;
    EXPECT_NE(written.find("pointerHysteresis:  10\n"), std::string::npos) << written;
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(alerts.shown[1].messageText, "Screen Saver Installed");
    EXPECT_NE(alerts.shown[1].informativeText.find("xscreensaver-settings"), std::string::npos);

    const auto once = read(settingsFile);
    EXPECT_TRUE(installer.install(ownSaver)) << "installing again is fine";
    EXPECT_EQ(read(settingsFile), once);
}

TEST_F(XScreenSaverInstallerTest, ABundleElsewhereIsNamedOnTheCommandLine) {
    const auto elsewhere = home.path() / "Downloads/Tavelo Live Wallpaper Screensaver.saver";
    EXPECT_EQ(installer.commandFor(ownSaver), "'" + host.string() + "' --root");
    EXPECT_EQ(installer.commandFor(elsewhere), "'" + host.string() + "' --root --saver '" + elsewhere.string() + "'");
}

TEST_F(XScreenSaverInstallerTest, AMissingHostIsReportedAndNothingIsWritten) {
    fs::remove(host);
    EXPECT_FALSE(installer.install(ownSaver));
    EXPECT_FALSE(fs::exists(settingsFile));
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(alerts.shown[1].messageText, "Screen Saver Not Installed");
}

TEST_F(XScreenSaverInstallerTest, OnlyAScreenSaverBundleIsRegistered) {
    const fs::path downloads = home.path() / "Downloads";
    const fs::path plainFile = downloads / "plain/Tavelo Live Wallpaper Screensaver.saver";
    fs::create_directories(plainFile.parent_path());
    std::ofstream(plainFile) << "not a bundle";
    expectRefusedWithoutAsking(plainFile, "a plain file named like a bundle");
    expectRefusedWithoutAsking(downloads / "missing/Tavelo Live Wallpaper Screensaver.saver", "nothing there");

    const fs::path bundle = downloads / "broken/Tavelo Live Wallpaper Screensaver.saver";
    makeSaverBundle(bundle);
    fs::remove(bundle / "Contents/Linux/module.so");
    expectRefusedWithoutAsking(bundle, "no module");
    std::ofstream(bundle / "Contents/Linux/module.so") << "#!/bin/sh\n";
    expectRefusedWithoutAsking(bundle, "a module that is no shared object");
    makeSaverBundle(bundle);
    std::ofstream(bundle / "Contents/Info.json") << R"({"CFBundleExecutable": "module.so"})";
    expectRefusedWithoutAsking(bundle, "no principal class");
    std::ofstream(bundle / "Contents/Info.json")
        << R"({"CFBundleExecutable": "../Linux/module.so", "NSPrincipalClass": "X"})";
    expectRefusedWithoutAsking(bundle, "a module outside Contents/Linux");

    const fs::path renamed = downloads / "Tavelo Live Wallpaper Screensaver.zip";
    makeSaverBundle(renamed);
    expectRefusedWithoutAsking(renamed, "a bundle without the .saver name");

    // The same bundle made whole is registered, named on the command line.
    makeSaverBundle(bundle);
    alerts.shown.clear();
    EXPECT_TRUE(installer.install(bundle));
    EXPECT_TRUE(platform::hasProgramCommand(read(settingsFile), installer.commandFor(bundle)));
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(alerts.shown[1].messageText, "Screen Saver Installed");
}

}  // namespace
