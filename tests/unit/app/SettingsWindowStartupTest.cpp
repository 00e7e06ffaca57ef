#include "app/AppDelegate.h"
#include "app/SettingsViewController.h"
#include "tests/support/CallOrder.h"
#include "tests/unit/app/SettingsFixture.h"

#include <fstream>

class SettingsWindowStartupTest : public SettingsFixture {
protected:
    void launch() {
        delegate = std::make_unique<AppDelegate>(platform(), *settings_);
        delegate->applicationDidFinishLaunching();
    }
    void TearDown() override {
        delegate.reset();
        SettingsFixture::TearDown();
    }
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(SettingsWindowStartupTest, BuildsTheSettingsWindowOnceHiddenAfterTheWallpaper) {
    // The default view's page, so that the wallpaper's first load happens.
    std::ofstream(bundlePath_ / "Contents/Resources/index.html") << "<!doctype html>";
    launch();
    const auto& record = platform().record;
    // After the wallpaper's first load, once, hidden, with the grid built and the stored view marked.
    EXPECT_TRUE(testing_support::callsInOrder(record, {"webView.load", "settingsWindow.create"}));
    ASSERT_EQ(platform().settingsWindows.size(), 1u);
    ASSERT_NE(delegate->settingsWindow(), nullptr);
    EXPECT_FALSE(settingsWindow().visible);
    EXPECT_EQ(settingsWindow().marks(), (std::vector<bool>{true, false, false, false}));
    // The first launch registered the login item before the window was built: the box shows it.
    EXPECT_TRUE(settingsWindow().launchAtLogin);
}

TEST_F(SettingsWindowStartupTest, ChoosingACardStoresTheViewAndSwitchesTheWallpaper) {
    launch();
    platform().record.clear();
    settingsWindow().clickCard(2);

    EXPECT_EQ(settings_->selectedViewID(), "sp500_heatmap");
    EXPECT_NE(configText().find("\"selectedViewID\": \"sp500_heatmap\""), std::string::npos) << configText();
    const auto loads = platform().record.matching("webView.load");
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_NE(loads[0].find("/view.html?darkened=1"), std::string::npos) << loads[0];
}
