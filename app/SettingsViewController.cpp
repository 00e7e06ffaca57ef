#include "app/SettingsViewController.h"

#include "app/SettingsStore.h"
#include "platform/Log.h"
#include "platform/ProductNames.h"
#include "shared/ViewSite.h"

#include <boost/url/parse.hpp>

#include <algorithm>

SettingsViewController::SettingsViewController(platform::Platform& platform, SettingsStore& settings,
                                               CatalogueSource catalogue)
    : platform_(platform), settings_(settings), catalogue_(std::move(catalogue)) {}

platform::SettingsWindow& SettingsViewController::window() {
    if (!window_) {
        loadItems();
        loadView();
        buildUI();
    }
    return *window_;
}

std::size_t SettingsViewController::rowCountFor(std::size_t count) {
    return std::max(gridRows, (count + gridColumns - 1) / gridColumns);
}

platform::Rect SettingsViewController::frameForRows(std::size_t rows) {
    platform::Rect frame = viewFrame;
    frame.height += static_cast<double>(rows - gridRows) * (WallpaperCardView::standardFrame.height + gridSpacing);
    return frame;
}

void SettingsViewController::loadItems() { items_ = catalogue_(); }

void SettingsViewController::loadView() {
    // Sized for the catalogue the grid shows: a card must never be left out.
    const std::size_t rows = rowCountFor(items_.size());
    const auto& card = WallpaperCardView::standardFrame;
    window_ = platform_.makeSettingsWindow(
        {
            .title = product::settingsWindowTitle,
            .frame = frameForRows(rows),
            .heading = "Choose your live view",
            .cardCount = items_.size(),
            .gridRows = rows,
            .gridColumns = gridColumns,
            .cardFrame = card,
            .cardFrames = WallpaperCardView::layout(card.width, card.height),
            .launchTitle = "Launch at login",
            .launchAtLogin = launchAtLoginEnabled(),
            .versionText = versionText(),
            .linkTitle = ViewSite::hostName(),
        },
        events());
}

platform::SettingsWindowEvents SettingsViewController::events() {
    // The window may report an event while the controller is being torn down.
    const auto weak = anchor_.weak();
    return {
        .cardClicked =
            [weak](std::size_t card) {
                if (auto* self = weak.lock(); self && card < self->cardViews_.size()) {
                    self->cardViews_[card]->handleClick();
                }
            },
        .pointerCrossedCard =
            [weak](std::size_t card, bool entered) {
                if (auto* self = weak.lock(); self && card < self->cardViews_.size()) {
                    auto& view = *self->cardViews_[card];
                    entered ? view.mouseEntered() : view.mouseExited();
                }
            },
        .launchToggled =
            [weak](bool on) {
                if (auto* self = weak.lock()) {
                    self->toggleLaunchAtLogin(on);
                }
            },
        .linkClicked =
            [weak] {
                if (auto* self = weak.lock()) {
                    self->openWebsite();
                }
            },
    };
}

void SettingsViewController::buildUI() {
    cardViews_.clear();
    for (std::size_t index = 0; index < items_.size(); ++index) {
        cardViews_.push_back(makeCard(index));
    }
    markStoredSelection();
}

std::unique_ptr<WallpaperCardView> SettingsViewController::makeCard(std::size_t index) {
    auto card = std::make_unique<WallpaperCardView>(*window_, index, platform_.mainBundle());
    card->configure(items_[index]);
    card->onTap = [weak = anchor_.weak(), index] {
        if (auto* self = weak.lock()) {
            self->handleCardTap(index);
        }
    };
    return card;
}

void SettingsViewController::markStoredSelection() {
    const std::string& selected = settings_.selectedViewID();
    for (std::size_t index = 0; index < items_.size(); ++index) {
        if (items_[index].id == selected) {
            selectCard(index);
            return;
        }
    }
}

void SettingsViewController::handleCardTap(std::size_t index) {
    if (index >= items_.size()) {
        return;
    }
    const WallpaperView entry = items_[index];
    if (entry.isComingSoon == true) {
        return;
    }
    selectCard(index);
    platform_.notificationCenter().post(selectWallpaperNotification, entry);
}

void SettingsViewController::selectCard(std::size_t index) {
    for (std::size_t position = 0; position < cardViews_.size(); ++position) {
        cardViews_[position]->setSelected(position == index);
    }
}

bool SettingsViewController::launchAtLoginEnabled() const {
    return platform_.loginItem().status() == platform::LoginItemStatus::enabled;
}

void SettingsViewController::toggleLaunchAtLogin(bool on) {
    auto& loginItem = platform_.loginItem();
    const auto failure = on ? loginItem.registerItem() : loginItem.unregisterItem();
    if (!failure) {
        return;
    }
    platform::systemLog("Launch at login toggle failed: " + *failure);
    window_->setLaunchAtLogin(!on);
}

std::string SettingsViewController::versionText() const {
    const auto& bundle = platform_.mainBundle();
    const std::string name = bundle.infoString("CFBundleName").value_or("Tavelo");
    const std::string version = bundle.infoString("CFBundleShortVersionString").value_or("");
    return name + "  v" + version;
}

void SettingsViewController::openWebsite() {
    // The site's root is its origin: scheme, host and port exactly as configured, so a
    // loopback development site opens as well as the released one.
    const std::string root = ViewSite::origin();
    if (!boost::urls::parse_absolute_uri(root)) {
        return;
    }
    (void)platform_.workspace().open(root);
}
