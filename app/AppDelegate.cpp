#include "app/AppDelegate.h"

#include "app/IconDesktopAdvisor.h"
#include "app/SettingsStore.h"
#include "app/SettingsViewController.h"
#include "app/WallpaperView.h"
#include "platform/Log.h"
#include "shared/LoadResolvedPage.h"
#include "shared/ViewURLProvider.h"

AppDelegate::AppDelegate(platform::Platform& platform) : AppDelegate(platform, SettingsStore::shared()) {}

AppDelegate::AppDelegate(platform::Platform& platform, SettingsStore& settings)
    : platform_(platform), settings_(settings) {}

AppDelegate::~AppDelegate() { platform_.notificationCenter().removeObserver(this); }

void AppDelegate::applicationDidFinishLaunching() {
    platform::systemLog("App did finish launching");

    settings_.load();
    const bool firstLaunch = !settings_.firstLaunchDone();
    if (firstLaunch) {
        // A refused login item must not stop the launch; the settings window can retry.
        (void)platform_.loginItem().registerItem();
        // Recorded before anything is shown, so a crash later never repeats first-launch work.
        settings_.markFirstLaunchDone();
    }

    if (!buildWallpaperWindow()) {
        return;
    }
    buildWallpaperWebView();
    loadWallpaper(settings_.selectedViewID());

    platform_.notificationCenter().addObserver(this, selectWallpaperNotification,
                                               [weak = anchor_.weak()](const platform::Notification& notification) {
                                                   if (auto* self = weak.lock()) {
                                                       self->handleWallpaperChange(notification);
                                                   }
                                               });

    createSettingsWindow();
    setupMenuBar();

    if (firstLaunch) {
        // Held weakly: a quit before the half second is up means the question never comes.
        platform_.mainQueue().asyncAfter(0.5, [weak = anchor_.weak()] {
            if (auto* self = weak.lock()) {
                self->promptScreensaverInstallIfNeeded();
            }
        });
    }
}

bool AppDelegate::buildWallpaperWindow() {
    const auto screen = platform_.mainScreenFrame();
    if (!screen) {
        platform::systemLog("❌ No main screen to show the wallpaper on; quitting.");
        platform_.application().terminate(1);
        return false;
    }
    window_ = platform_.makeBorderlessWindow(*screen);
    window_->setLevel(platform::WindowLevel::desktop);
    window_->setBackgroundColor(platform::Color::black);
    window_->setCollectionBehavior(platform::CollectionBehavior::desktopPlacement);
    window_->setIgnoresMouseEvents(true);
    // Before the window is shown: an icon desktop already there is seen as it maps.
    watchIconDesktops();
    window_->makeKeyAndOrderFront();
    return true;
}

void AppDelegate::buildWallpaperWebView() {
    const auto frame = platform_.mainScreenFrame().value_or(platform::Rect{});
    webView_ = platform_.makeWebView(frame, platform::WebViewConfiguration{});
    webView_->setDrawsBackground(false);
    if (window_->hasContentView()) {
        window_->addSubview(*webView_);
    }
}

void AppDelegate::applicationWillTerminate() {
    // Every setting is written when it changes; nothing is left to save at quit.
}

void AppDelegate::loadWallpaper(const std::string& viewID) {
    const auto result = ViewURLProvider::url(viewID, /*darkened=*/true, platform_.mainBundle());
    if (!result) {
        platform::systemLog("⚠️ No URL available for view: " + viewID);
        return;
    }
    loadResolvedPage(*webView_, *result);
}

void AppDelegate::handleWallpaperChange(const platform::Notification& notification) {
    const auto* view = std::any_cast<WallpaperView>(&notification.object);
    if (view == nullptr) {
        return;
    }
    settings_.saveSelectedView(view->id);
    loadWallpaper(view->id);
}

void AppDelegate::toggleWallpaper() {
    wallpaperVisible_ = !wallpaperVisible_;
    if (window_) {
        if (wallpaperVisible_) {
            window_->orderFrontRegardless();
        } else {
            window_->orderOut();
        }
    }
    if (wallpaperMenuItem_ != nullptr) {
        wallpaperMenuItem_->setTitle(wallpaperMenuTitle());
    }
}

void AppDelegate::applicationShouldHandleReopen() { openSettingsWindow(); }

std::string AppDelegate::wallpaperMenuTitle() const { return wallpaperVisible_ ? "Hide Wallpaper" : "Show Wallpaper"; }
