#include "app/AppDelegate.h"
#include "app/SettingsStore.h"
#include "platform/fake/RecordingPlatform.h"
#include "tests/support/AppLaunch.h"
#include "tests/support/CallOrder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using platform::fake::FakeMenu;

class StatusMenuTest : public ::testing::Test, protected testing_support::AppLaunch {
protected:
    StatusMenuTest() {
        home.writeSettings(R"({"firstLaunchDone": true})");
        std::filesystem::create_directories(bundlePath / "Contents/Resources/images");
        std::ofstream(bundlePath / "Contents/Resources/images/TVlogo.png") << "png";
    }

    FakeMenu& menu() { return *fake.statusItems.at(0)->menu; }
    void choose(const std::string& title) {
        auto* item = menu().itemTitled(title);
        ASSERT_NE(item, nullptr) << "no menu item " << title;
        item->choose();
    }
};

TEST_F(StatusMenuTest, TheMenuHasSixEntriesInOrderWithTheSeparatorOnlyBeforeQuit) {
    launch();
    ASSERT_EQ(fake.statusItems.size(), 1u);
    std::vector<std::string> entries;
    for (const auto& item : menu().items) {
        entries.push_back(item->isSeparator ? "---" : item->title() + " [" + item->keyEquivalent + "]");
    }
    EXPECT_EQ(entries, (std::vector<std::string>{
                           "Hide Wallpaper [w]",
                           "Settings [c]",
                           "Install Screen Saver\u2026 []",
                           "Open Screen Saver Preferences [s]",
                           "---",
                           "Quit [q]",
                       }));
    EXPECT_EQ(delegate->wallpaperMenuItem(), menu().items.front().get());
}

TEST_F(StatusMenuTest, TheStatusItemIsSquareShowsTheLogoAndComesAfterTheSettingsWindow) {
    launch();
    const auto& calls = fake.record.calls();
    const int created = fake.record.indexOf("statusItem.create");
    ASSERT_GE(created, 0);
    EXPECT_EQ(calls[created], "statusItem.create length=-2");
    EXPECT_EQ(calls[created + 1], "statusItem.button.setImage TVlogo.png");
    EXPECT_EQ(calls[created + 2], "menu.create");
    EXPECT_TRUE(testing_support::callsInOrder(fake.record, {"settingsWindow.create", "statusItem.create"}));
    EXPECT_EQ(calls.back(), "statusItem.setMenu");
}

TEST_F(StatusMenuTest, WithoutTheLogoOrWithoutAButtonTheMenuIsStillAttached) {
    std::filesystem::remove(bundlePath / "Contents/Resources/images/TVlogo.png");
    launch();
    EXPECT_TRUE(fake.record.contains("statusItem.button.setImage none"));
    EXPECT_EQ(menu().items.size(), 6u);

    fake.statusItemsHaveButton = false;
    fake.record.clear();
    delegate->setupMenuBar();
    EXPECT_FALSE(fake.record.contains("statusItem.button"));
    ASSERT_NE(fake.statusItems.back()->menu, nullptr);
    EXPECT_EQ(fake.statusItems.back()->menu->items.size(), 6u);
}

TEST_F(StatusMenuTest, HideAndShowRetitleTheItemAndFollowTheWindow) {
    launch();
    choose("Hide Wallpaper");
    EXPECT_EQ(menu().items[0]->title(), "Show Wallpaper");
    EXPECT_FALSE(fake.windows.front()->isVisible());

    choose("Show Wallpaper");
    EXPECT_EQ(menu().items[0]->title(), "Hide Wallpaper");
    EXPECT_TRUE(fake.windows.front()->isVisible());
    EXPECT_EQ(fake.record.count("webView.load"), 1) << "toggling never reloads the page";
}

TEST_F(StatusMenuTest, SettingsBringsTheOneSettingsWindowForwardThenActivatesTheApplication) {
    launch();
    auto* window = fake.settingsWindows.at(0);
    EXPECT_FALSE(window->visible);
    fake.record.clear();

    choose("Settings");
    EXPECT_TRUE(window->visible);
    EXPECT_EQ(fake.record.calls(),
              (std::vector<std::string>{"menu.choose Settings", "settingsWindow.makeKeyAndOrderFront",
                                        "application.activateIgnoringOtherApps"}));

    window->orderOut();
    fake.record.clear();
    choose("Settings");
    EXPECT_TRUE(window->visible);
    EXPECT_EQ(fake.settingsWindows.size(), 1u) << "never built again";
}

TEST_F(StatusMenuTest, LaunchingAgainOpensTheSettingsWindow) {
    launch();
    delegate->applicationShouldHandleReopen();
    EXPECT_TRUE(fake.settingsWindows.at(0)->visible);
    EXPECT_TRUE(fake.record.contains("application.activateIgnoringOtherApps"));
}

TEST_F(StatusMenuTest, ScreenSaverPreferencesOpenTheSettingsAddressAndQuitEndsTheApplication) {
    launch();
    choose("Open Screen Saver Preferences");
    EXPECT_EQ(fake.workspace_.opened, (std::vector<std::string>{"x-apple.systempreferences:com.apple.ScreenSaver"}));
    EXPECT_FALSE(fake.application_.terminatedWith.has_value());

    choose("Quit");
    EXPECT_EQ(fake.application_.terminatedWith, 0);
}

}  // namespace
