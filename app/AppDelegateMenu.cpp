#include "app/AppDelegate.h"

#include "platform/ImageAsset.h"

void AppDelegate::setupMenuBar() {
    statusItem_ = platform_.makeStatusItem(platform::squareStatusItemLength);
    if (auto* button = statusItem_->button()) {
        button->setImage(platform::imageAssetPath(platform_.mainBundle(), "TVlogo"));
    }

    auto menu = platform_.makeMenu();
    // The actions hold the delegate weakly: the menu may outlive it while the
    // platform tears down.
    const auto weak = anchor_.weak();
    auto action = [weak](void (AppDelegate::*operation)()) {
        return [weak, operation] {
            if (auto* self = weak.lock()) {
                (self->*operation)();
            }
        };
    };
    wallpaperMenuItem_ = &menu->addItem("Hide Wallpaper", "w", action(&AppDelegate::toggleWallpaper));
    menu->addItem("Settings", "c", action(&AppDelegate::openSettingsWindow));
    menu->addItem("Install Screen Saver\u2026", "", action(&AppDelegate::installScreensaver));
    menu->addItem("Open Screen Saver Preferences", "s", action(&AppDelegate::openScreenSaverPreferences));
    menu_ = menu.get();
    showDesktopAgainItem_ = nullptr;
    updateShowDesktopAgainItem();
    menu->addSeparator();
    // Quitting belongs to the application object, not to the delegate.
    menu->addItem("Quit", "q", [&application = platform_.application()] { application.terminate(0); });
    statusItem_->setMenu(std::move(menu));
}

void AppDelegate::openSettingsWindow() {
    if (auto* window = settingsWindow()) {
        window->makeKeyAndOrderFront();
    }
    platform_.application().activateIgnoringOtherApps();
}

void AppDelegate::openScreenSaverPreferences() {
    // Where no settings tool is installed nothing opens, and nothing is reported.
    (void)platform_.workspace().open(platform::screenSaverSettingsURL);
}
