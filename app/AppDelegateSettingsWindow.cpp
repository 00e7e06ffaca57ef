#include "app/AppDelegate.h"
#include "app/SettingsViewController.h"
#include "platform/ProductNames.h"

void AppDelegate::createSettingsWindow() {
    auto controller = std::make_unique<SettingsViewController>(platform_, settings_);
    auto window = platform_.widgets().makeTitledWindow();
    // Giving the window its content loads the controller's view and builds the grid now.
    window->setContentView(controller->view());
    window->setTitle(product::settingsWindowTitle);
    window->setStyleMask(platform::WindowStyle::titled | platform::WindowStyle::closable |
                         platform::WindowStyle::miniaturizable);
    const auto& frame = controller->viewFrameForContent();
    window->setContentSize(frame.width, frame.height);
    window->setReleasedWhenClosed(false);
    window->center();
    settingsWindow_ = std::move(window);
    settingsViewController_ = std::move(controller);
}
