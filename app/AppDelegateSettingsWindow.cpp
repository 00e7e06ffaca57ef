#include "app/AppDelegate.h"
#include "app/SettingsViewController.h"

void AppDelegate::createSettingsWindow() {
    settingsViewController_ = std::make_unique<SettingsViewController>(platform_, settings_);
    // The window is made hidden, with its grid built and the stored view marked.
    settingsViewController_->window();
}

platform::SettingsWindow* AppDelegate::settingsWindow() const {
    return settingsViewController_ ? &settingsViewController_->window() : nullptr;
}
