#include "app/AppDelegate.h"
#include "app/SettingsStore.h"
#include "app/WallpaperView.h"
#include "platform/FileURL.h"
#include "platform/fake/RecordingPlatform.h"
#include "shared/ViewSite.h"
#include "tests/support/AppLaunch.h"
#include "tests/support/CallOrder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using testing_support::allCallsBefore;
using testing_support::callsInOrder;

class AppDelegateTest : public ::testing::Test, protected testing_support::AppLaunch {
protected:
    const std::vector<std::string>& calls() { return fake.record.calls(); }
    std::string lastLoad() {
        const auto loads = fake.record.matching("webView.load");
        return loads.empty() ? "" : loads.back();
    }
    std::string resources() { return platform::fileURLFromPath(fake.mainBundle().resourcesPath(), true); }
};

WallpaperView view(const std::string& id) { return WallpaperView{id, "Title", "Description", id, std::nullopt}; }

TEST_F(AppDelegateTest, FirstLaunchRegistersTheLoginItemAndRecordsItBeforeTheWallpaperAppears) {
    std::string fileWhenShown;
    fake.onWindowMade = [&](platform::fake::FakeWindow& window) {
        window.onOrderIn = [&] { fileWhenShown = home.readSettings(); };
    };
    launch();

    ASSERT_FALSE(fileWhenShown.empty()) << "config.json must exist when the window is ordered in";
    const auto saved = nlohmann::json::parse(fileWhenShown);
    EXPECT_EQ(saved["firstLaunchDone"], true);
    EXPECT_EQ(saved["selectedViewID"], "crypto_bubbles");

    EXPECT_EQ(calls().front(), "log App did finish launching");
    EXPECT_TRUE(callsInOrder(fake.record, {"loginItem.register", "window.create"}));
    EXPECT_EQ(fake.record.count("loginItem.register"), 1);
}

TEST_F(AppDelegateTest, StartUpBuildsTheDesktopWindowThenTheWebViewThenLoadsTheDarkenedPage) {
    launch();
    const auto& record = fake.record;
    EXPECT_EQ(calls().front(), "log App did finish launching");
    // Window, then web view in it, then the page: the steps that depend on one another.
    EXPECT_TRUE(
        callsInOrder(record, {
                                 "window.create {0,0,1920,1080}",
                                 "window.makeKeyAndOrderFront",
                                 "webView.create {0,0,1920,1080}",
                                 "window.addSubview webView",
                                 "webView.loadFileURL " + resources() + "index.html?darkened=1 access=" + resources(),
                             }));
    // Placed on the desktop, black and click-through before it is ever shown.
    for (const char* placement : {"window.setLevel desktop", "window.setCollectionBehavior 0x51",
                                  "window.setIgnoresMouseEvents true", "window.setBackgroundColor black"}) {
        EXPECT_TRUE(allCallsBefore(record, placement, "window.makeKeyAndOrderFront")) << placement;
    }
    // The page's transparency is set before the web view is in the window.
    EXPECT_TRUE(allCallsBefore(record, "webView.setDrawsBackground false", "window.addSubview webView"));
    EXPECT_EQ(record.count("webView.setDrawsBackground"), 1);
    EXPECT_EQ(record.count("window.create"), 1);
    EXPECT_EQ(record.count("webView.create"), 1);
    EXPECT_EQ(record.count("webView.load"), 1);
    EXPECT_TRUE(delegate->wallpaperVisible());
    EXPECT_EQ(delegate->wallpaperMenuTitle(), "Hide Wallpaper");
}

TEST_F(AppDelegateTest, LaterLaunchesNeitherRegisterNorRewriteAndShowTheStoredView) {
    home.writeSettings(R"({"selectedViewID": "sp500_heatmap", "firstLaunchDone": true})");
    const auto before = std::filesystem::last_write_time(home.settingsFile());
    launch();

    EXPECT_FALSE(fake.record.contains("loginItem.register"));
    EXPECT_EQ(std::filesystem::last_write_time(home.settingsFile()), before);
    EXPECT_EQ(lastLoad(), "webView.load " + ViewSite::origin() + "/view.html?darkened=1 timeout=60 cachePolicy=0");
}

TEST_F(AppDelegateTest, AFailedLoginItemRegistrationStillRecordsTheFirstLaunch) {
    fake.loginItem_.failure = "refused";
    launch();
    EXPECT_TRUE(settings.firstLaunchDone());
    EXPECT_EQ(nlohmann::json::parse(home.readSettings())["firstLaunchDone"], true);
    EXPECT_TRUE(fake.record.contains("window.makeKeyAndOrderFront"));
    EXPECT_EQ(fake.record.count("log "), 1) << "the failure is dropped without a message";
}

TEST_F(AppDelegateTest, TogglingHidesAndShowsTheSameWindowWithoutReloading) {
    launch();
    fake.record.clear();

    delegate->toggleWallpaper();
    EXPECT_FALSE(delegate->wallpaperVisible());
    EXPECT_EQ(delegate->wallpaperMenuTitle(), "Show Wallpaper");
    EXPECT_FALSE(fake.windows.front()->isVisible());

    delegate->toggleWallpaper();
    EXPECT_TRUE(delegate->wallpaperVisible());
    EXPECT_EQ(delegate->wallpaperMenuTitle(), "Hide Wallpaper");
    EXPECT_TRUE(fake.windows.front()->isVisible());

    EXPECT_EQ(calls(), (std::vector<std::string>{"window.orderOut", "menuItem.setTitle Show Wallpaper",
                                                 "window.orderFrontRegardless", "menuItem.setTitle Hide Wallpaper"}));
}

TEST_F(AppDelegateTest, ChoosingAViewStoresItFirstThenLoadsItEvenWhileHidden) {
    launch();
    delegate->toggleWallpaper();
    fake.record.clear();

    fake.notificationCenter().post(selectWallpaperNotification, view("crypto_chart"));

    EXPECT_EQ(nlohmann::json::parse(home.readSettings())["selectedViewID"], "crypto_chart");
    EXPECT_EQ(calls(), (std::vector<std::string>{"webView.loadFileURL " + resources() +
                                                 "chartIndex.html?darkened=1 access=" + resources()}));
    EXPECT_FALSE(delegate->wallpaperVisible());
    EXPECT_EQ(delegate->wallpaperMenuTitle(), "Show Wallpaper");
    EXPECT_FALSE(fake.windows.front()->isVisible());
}

TEST_F(AppDelegateTest, ChoosingTheViewAlreadyShownReloadsIt) {
    launch();
    fake.record.clear();
    fake.notificationCenter().post(selectWallpaperNotification, view("crypto_bubbles"));
    fake.notificationCenter().post(selectWallpaperNotification, view("crypto_bubbles"));
    EXPECT_EQ(fake.record.count("webView.loadFileURL"), 2);
}

TEST_F(AppDelegateTest, ANotificationWithoutAViewRecordIsIgnored) {
    launch();
    const std::string before = home.readSettings();
    fake.record.clear();

    fake.notificationCenter().post(selectWallpaperNotification);
    fake.notificationCenter().post(selectWallpaperNotification, std::string("crypto_chart"));
    fake.notificationCenter().post("SomethingElse", view("crypto_chart"));

    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(home.readSettings(), before);
}

TEST_F(AppDelegateTest, UnknownAndUnresolvableViewsAreHandledWithoutStopping) {
    launch();
    fake.record.clear();

    delegate->loadWallpaper("no_such_view");
    EXPECT_EQ(lastLoad(), "webView.load " + ViewSite::origin() + "/view.html?darkened=1 timeout=60 cachePolicy=0");

    std::filesystem::remove(fake.mainBundle().resourcesPath() / "chartIndex.html");
    fake.record.clear();
    delegate->loadWallpaper("crypto_chart");
    EXPECT_EQ(calls(), (std::vector<std::string>{"log ⚠️ ViewURLProvider: chartIndex.html not found in bundle",
                                                 "log ⚠️ No URL available for view: crypto_chart"}));
}

TEST_F(AppDelegateTest, AMissingPageOrHandEditedFileStillStartsTheWallpaper) {
    std::filesystem::remove(fake.mainBundle().resourcesPath() / "index.html");
    home.writeSettings("{\"selectedViewID\": [1, 2, 3], \"firstLaunchDone\": \"yes\"");
    launch();
    EXPECT_TRUE(fake.record.contains("window.makeKeyAndOrderFront"));
    EXPECT_TRUE(fake.record.contains("log ⚠️ No URL available for view: crypto_bubbles"));
    EXPECT_TRUE(settings.firstLaunchDone());
    // A file was there: whatever the user chose about the login item stands.
    EXPECT_FALSE(fake.record.contains("loginItem.register"));
    EXPECT_EQ(fake.record.matching("log ⚠️ Settings: ").size(), 1u);
}

TEST_F(AppDelegateTest, NoMainScreenEndsTheLaunchWithOneFailureLineAndANonZeroStatus) {
    fake.screenFrame.reset();
    launch();
    EXPECT_EQ(fake.record.matching("log ❌").size(), 1u);
    EXPECT_EQ(fake.application_.terminatedWith, 1);
    EXPECT_FALSE(fake.record.contains("window.create"));
    EXPECT_FALSE(fake.record.contains("webView.create"));
}

TEST_F(AppDelegateTest, TheObserverGoesWithTheDelegate) {
    launch();
    delegate.reset();
    fake.record.clear();
    fake.notificationCenter().post(selectWallpaperNotification, view("crypto_chart"));
    EXPECT_TRUE(calls().empty());
}

}  // namespace
