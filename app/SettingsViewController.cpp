#include "app/SettingsViewController.h"

#include "app/SettingsStore.h"
#include "platform/Log.h"
#include "shared/ViewSite.h"

#include <boost/url/parse.hpp>

#include <algorithm>

SettingsViewController::SettingsViewController(platform::Platform& platform, SettingsStore& settings,
                                               CatalogueSource catalogue)
    : platform_(platform), settings_(settings), catalogue_(std::move(catalogue)) {}

platform::ContentView& SettingsViewController::view() {
    if (!view_) {
        loadView();
        viewDidLoad();
    }
    return *view_;
}

platform::Rect SettingsViewController::frameForEntryCount(std::size_t count) {
    const auto rows = static_cast<int>((count + gridColumns - 1) / gridColumns);
    platform::Rect frame = viewFrame;
    if (rows > gridRows) {
        frame.height += (rows - gridRows) * (WallpaperCardView::standardFrame.height + gridSpacing);
    }
    return frame;
}

void SettingsViewController::loadView() {
    // Sized for the catalogue the grid will show: a card must never be left out.
    frame_ = frameForEntryCount(catalogue_().size());
    view_ = platform_.widgets().makeContentView(frame_);
}

void SettingsViewController::viewDidLoad() {
    loadItems();
    buildUI();
}

void SettingsViewController::loadItems() { items_ = catalogue_(); }

std::unique_ptr<platform::Label> SettingsViewController::makeLabel(const std::string& text, double size, bool bold) {
    return platform_.widgets().makeLabel(text, platform::Font{size, bold});
}

void SettingsViewController::buildUI() {
    auto& widgets = platform_.widgets();
    using platform::HorizontalPlacement;

    heading_ = makeLabel("Choose your live view", 15, true);
    view_->addBelowPrevious(*heading_, 24, HorizontalPlacement::leadingInset(24));

    grid_ = widgets.makeStackView(platform::StackOrientation::vertical, gridSpacing);
    buildGrid();
    view_->addBelowPrevious(*grid_, 16, HorizontalPlacement::centeredPlacement());

    separator_ = widgets.makeSeparator();
    view_->addBelowPrevious(*separator_, 20, HorizontalPlacement::stretchedInset(24));

    launchCheckbox_ = widgets.makeCheckbox("Launch at login");
    launchCheckbox_->setState(launchAtLoginEnabled());
    launchCheckbox_->setOnToggle([weak = anchor_.weak()](platform::Checkbox& checkbox) {
        if (auto* self = weak.lock()) {
            self->toggleLaunchAtLogin(checkbox);
        }
    });
    view_->addBelowPrevious(*launchCheckbox_, 14, HorizontalPlacement::leadingInset(24));

    // The version line with the link 8 points after it, both centred on one line.
    versionLabel_ = makeLabel(versionText(), 11, false);
    versionLabel_->setTextColor(platform::TextColor::tertiaryLabel);
    websiteButton_ = widgets.makeLinkButton(ViewSite::hostName(), platform::Font{11, false});
    websiteButton_->setOnClick([weak = anchor_.weak()] {
        if (auto* self = weak.lock()) {
            self->openWebsite();
        }
    });
    footer_ = widgets.makeStackView(platform::StackOrientation::horizontal, 8);
    footer_->addArrangedSubview(*versionLabel_);
    footer_->addArrangedSubview(*websiteButton_);
    view_->pinToBottom(*footer_, 16, HorizontalPlacement::leadingInset(24));

    markStoredSelection();
}

void SettingsViewController::buildGrid() {
    cardViews_.clear();
    rows_.clear();
    const int rows = std::max(gridRows, static_cast<int>((items_.size() + gridColumns - 1) / gridColumns));
    for (int row = 0; row < rows; ++row) {
        auto rowStack = platform_.widgets().makeStackView(platform::StackOrientation::horizontal, gridSpacing);
        for (int column = 0; column < gridColumns; ++column) {
            const std::size_t index = static_cast<std::size_t>(row) * gridColumns + column;
            if (index >= items_.size()) {
                break;
            }
            auto card = makeCard(index);
            rowStack->addArrangedSubview(card->surface());
            cardViews_.push_back(std::move(card));
        }
        // A row without cards still takes its place, so the grid keeps its shape.
        grid_->addArrangedSubview(*rowStack);
        rows_.push_back(std::move(rowStack));
    }
}

std::unique_ptr<WallpaperCardView> SettingsViewController::makeCard(std::size_t index) {
    auto card = std::make_unique<WallpaperCardView>(platform_.widgets(), platform_.mainBundle(),
                                                    WallpaperCardView::standardFrame);
    card->configure(items_[index]);
    card->onTap = [weak = anchor_.weak(), index] {
        if (auto* self = weak.lock()) {
            self->handleCardTap(index);
        }
    };
    card->surface().fixSize(WallpaperCardView::standardFrame.width, WallpaperCardView::standardFrame.height);
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

void SettingsViewController::toggleLaunchAtLogin(platform::Checkbox& checkbox) {
    auto& loginItem = platform_.loginItem();
    const bool wantsOn = checkbox.state();
    const auto failure = wantsOn ? loginItem.registerItem() : loginItem.unregisterItem();
    if (!failure) {
        return;
    }
    platform::systemLog("Launch at login toggle failed: " + *failure);
    checkbox.setState(!wantsOn);
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
