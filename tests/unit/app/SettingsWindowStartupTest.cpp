#include "app/AppDelegate.h"
#include "app/SettingsViewController.h"
#include "platform/ProductNames.h"
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
    const auto window = record.matching("titledWindow0.");
    EXPECT_EQ(window, (std::vector<std::string>{
                          "titledWindow0.create",
                          "titledWindow0.setContentView content0",
                          std::string("titledWindow0.setTitle ") + product::settingsWindowTitle,
                          "titledWindow0.setStyleMask 7",
                          "titledWindow0.setContentSize 560x560",
                          "titledWindow0.setReleasedWhenClosed false",
                          "titledWindow0.center",
                      }));
    // After the wallpaper's first load; the grid is built by the time the window has its content.
    EXPECT_TRUE(testing_support::callsInOrder(record, {"webView.load", "titledWindow0.create"}));
    EXPECT_TRUE(testing_support::allCallsBefore(record, "card3.create", "titledWindow0.setContentView"));
    ASSERT_NE(delegate->settingsWindow(), nullptr);
    EXPECT_FALSE(widgets().titledWindows.at(0)->isVisible());
    EXPECT_EQ(widgets().titledWindows.size(), 1u);
    // The first launch registered the login item before the window was built: the box shows it.
    EXPECT_TRUE(widgets().checkboxes.at(0)->state());
}

TEST_F(SettingsWindowStartupTest, ChoosingACardStoresTheViewAndSwitchesTheWallpaper) {
    launch();
    platform().record.clear();
    widgets().cards[2]->click();

    EXPECT_EQ(settings_->selectedViewID(), "sp500_heatmap");
    EXPECT_NE(configText().find("\"selectedViewID\": \"sp500_heatmap\""), std::string::npos) << configText();
    const auto loads = platform().record.matching("webView.load");
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_NE(loads[0].find("/view.html?darkened=1"), std::string::npos) << loads[0];
}
