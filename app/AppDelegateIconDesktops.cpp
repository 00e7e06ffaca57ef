#include "app/AppDelegate.h"
#include "app/IconDesktopAdvisor.h"

namespace {
// Just before the separator that sets "Quit" apart.
constexpr std::size_t showDesktopAgainPosition = 4;
}  // namespace

void AppDelegate::watchIconDesktops() {
    iconDesktopChoices_ = std::make_unique<IconDesktopChoices>(IconDesktopChoices::defaultFile());
    iconDesktops_ = std::make_unique<IconDesktopAdvisor>(platform_.alerts(), platform_.programs(),
                                                         platform_.mainQueue(), *iconDesktopChoices_);
    iconDesktops_->onShowAgainChanged([weak = anchor_.weak()] {
        if (auto* self = weak.lock()) {
            self->updateShowDesktopAgainItem();
        }
    });
    window_->onHiddenByIconDesktop([weak = anchor_.weak()](const platform::IconDesktopSighting& sighting) {
        if (auto* self = weak.lock()) {
            self->iconDesktops_->desktopHidden(sighting);
        }
    });
}

void AppDelegate::updateShowDesktopAgainItem() {
    if (menu_ == nullptr || !iconDesktops_) {
        return;
    }
    const auto program = iconDesktops_->programToShowAgain();
    if (!program) {
        if (showDesktopAgainItem_ != nullptr) {
            menu_->removeItem(*showDesktopAgainItem_);
            showDesktopAgainItem_ = nullptr;
        }
        return;
    }
    const auto title = IconDesktopAdvisor::showAgainTitle(*program);
    if (showDesktopAgainItem_ != nullptr) {
        showDesktopAgainItem_->setTitle(title);
        return;
    }
    showDesktopAgainItem_ = &menu_->insertItem(showDesktopAgainPosition, title, [weak = anchor_.weak()] {
        auto* self = weak.lock();
        if (self == nullptr) {
            return;
        }
        // The item names whichever desktop is off when it is chosen.
        if (const auto shown = self->iconDesktops_->programToShowAgain()) {
            self->iconDesktops_->showDesktopAgain(*shown);
        }
    });
}
