#pragma once

#include "platform/Application.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/WeakAnchor.h"

#include <memory>
#include <optional>
#include <string>

class IconDesktopAdvisor;
class IconDesktopChoices;
class SettingsStore;
class SettingsViewController;

// The application's hub: it builds the wallpaper at launch and owns every
// long-lived piece of the user interface for the life of the process.
class AppDelegate : public platform::ApplicationDelegate {
public:
    explicit AppDelegate(platform::Platform& platform);
    AppDelegate(platform::Platform& platform, SettingsStore& settings);
    ~AppDelegate() override;

    void applicationDidFinishLaunching() override;
    void applicationWillTerminate() override;
    // Launching the application again while it runs brings its settings window forward.
    void applicationShouldHandleReopen() override;

    void loadWallpaper(const std::string& viewID);
    void handleWallpaperChange(const platform::Notification& notification);
    void toggleWallpaper();

    bool wallpaperVisible() const { return wallpaperVisible_; }
    // The title the show/hide menu item carries in the current state.
    std::string wallpaperMenuTitle() const;

    platform::Window* window() const { return window_.get(); }
    platform::WebView* webView() const { return webView_.get(); }
    platform::SettingsWindow* settingsWindow() const;
    SettingsViewController* settingsViewController() const { return settingsViewController_.get(); }

    platform::StatusItem* statusItem() const { return statusItem_.get(); }
    platform::MenuItem* wallpaperMenuItem() const { return wallpaperMenuItem_; }

    // Builds the settings window once, hidden, with its grid already laid out.
    void createSettingsWindow();
    // Builds the status item and its menu once.
    void setupMenuBar();
    void openSettingsWindow();
    void openScreenSaverPreferences();
    // Hands the screen-saver bundle to the system's installer.
    void installScreensaver();

    // Asks about, turns off and brings back icon programs' desktops that hide the wallpaper.
    IconDesktopAdvisor* iconDesktops() const { return iconDesktops_.get(); }

private:
    bool buildWallpaperWindow();
    void buildWallpaperWebView();
    // The screen-saver bundle beside the application, else in its resources.
    std::optional<std::string> screensaverBundleURL() const;
    void promptScreensaverInstallIfNeeded();
    void watchIconDesktops();
    // The menu offers to bring back an icon desktop for as long as one is turned off.
    void updateShowDesktopAgainItem();

    platform::Platform& platform_;
    SettingsStore& settings_;

    std::unique_ptr<platform::Window> window_;
    std::unique_ptr<platform::WebView> webView_;
    // Owned by the status item's menu, which the status item holds.
    platform::MenuItem* wallpaperMenuItem_ = nullptr;
    std::unique_ptr<platform::StatusItem> statusItem_;
    // Owned by the status item, as the menu's items are.
    platform::Menu* menu_ = nullptr;
    platform::MenuItem* showDesktopAgainItem_ = nullptr;
    std::unique_ptr<IconDesktopChoices> iconDesktopChoices_;
    std::unique_ptr<IconDesktopAdvisor> iconDesktops_;
    bool wallpaperVisible_ = true;
    // Owns the settings window.
    std::unique_ptr<SettingsViewController> settingsViewController_;

    platform::WeakAnchor<AppDelegate> anchor_{this};
};
