#pragma once

#include "app/Catalogue.h"
#include "app/WallpaperCardView.h"
#include "app/WallpaperView.h"
#include "platform/Platform.h"
#include "platform/WeakAnchor.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class SettingsStore;

// The settings window's content: the grid of view cards, the launch-at-login
// checkbox, the version line and the link to the view site. It announces the
// user's choice with "SelectWallpaper" and never writes the settings itself.
class SettingsViewController {
public:
    // The content of a catalogue of up to four views; each further row of cards
    // makes it taller by one card and the space between rows.
    static constexpr platform::Rect viewFrame{0, 0, 560, 560};
    static constexpr std::size_t gridRows = 2;
    static constexpr std::size_t gridColumns = 2;
    static constexpr double gridSpacing = 16;

    using CatalogueSource = std::function<std::vector<WallpaperView>()>;

    // `catalogue` supplies the entries the grid shows (the application's catalogue
    // unless a test offers another).
    SettingsViewController(platform::Platform& platform, SettingsStore& settings,
                           CatalogueSource catalogue = wallpaperCatalogue);

    // The window, made (and its grid built) on first use.
    platform::SettingsWindow& window();
    bool isViewLoaded() const { return window_ != nullptr; }

    // The rows of cards `count` entries take: never fewer than the grid's two.
    static std::size_t rowCountFor(std::size_t count);
    // The frame of the content, tall enough for `rows` rows of cards.
    static platform::Rect frameForRows(std::size_t rows);

    void handleCardTap(std::size_t index);
    void selectCard(std::size_t index);
    // The checkbox's action, with the state the click gave it.
    void toggleLaunchAtLogin(bool on);
    void openWebsite();

    bool launchAtLoginEnabled() const;
    // "<name>  v<version>" from the bundle's information dictionary.
    std::string versionText() const;

    const std::vector<WallpaperView>& items() const { return items_; }
    const std::vector<std::unique_ptr<WallpaperCardView>>& cardViews() const { return cardViews_; }

private:
    void loadView();
    void loadItems();
    void buildUI();
    std::unique_ptr<WallpaperCardView> makeCard(std::size_t index);
    void markStoredSelection();
    platform::SettingsWindowEvents events();

    platform::Platform& platform_;
    SettingsStore& settings_;
    CatalogueSource catalogue_;

    std::vector<WallpaperView> items_;
    std::vector<std::unique_ptr<WallpaperCardView>> cardViews_;
    std::unique_ptr<platform::SettingsWindow> window_;

    platform::WeakAnchor<SettingsViewController> anchor_{this};
};
