#pragma once

#include "app/Catalogue.h"
#include "app/WallpaperCardView.h"
#include "app/WallpaperView.h"
#include "platform/Platform.h"
#include "platform/WeakAnchor.h"

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
    static constexpr int gridRows = 2;
    static constexpr int gridColumns = 2;
    static constexpr double gridSpacing = 16;

    using CatalogueSource = std::function<std::vector<WallpaperView>()>;

    // `catalogue` supplies the entries the grid shows (the application's catalogue
    // unless a test offers another).
    SettingsViewController(platform::Platform& platform, SettingsStore& settings,
                           CatalogueSource catalogue = wallpaperCatalogue);

    // The content view, loaded (and the grid built) on first use.
    platform::ContentView& view();
    // The frame of the content view, tall enough for every row of cards.
    const platform::Rect& viewFrameForContent() const { return frame_; }
    static platform::Rect frameForEntryCount(std::size_t count);
    bool isViewLoaded() const { return view_ != nullptr; }

    void handleCardTap(std::size_t index);
    void selectCard(std::size_t index);
    void toggleLaunchAtLogin(platform::Checkbox& checkbox);
    void openWebsite();

    bool launchAtLoginEnabled() const;
    // "<name>  v<version>" from the bundle's information dictionary.
    std::string versionText() const;

    const std::vector<WallpaperView>& items() const { return items_; }
    const std::vector<std::unique_ptr<WallpaperCardView>>& cardViews() const { return cardViews_; }
    platform::Checkbox* launchCheckbox() const { return launchCheckbox_.get(); }
    platform::Label* versionLabel() const { return versionLabel_.get(); }
    platform::LinkButton* websiteButton() const { return websiteButton_.get(); }

private:
    void loadView();
    void viewDidLoad();
    void loadItems();
    void buildUI();
    void buildGrid();
    std::unique_ptr<WallpaperCardView> makeCard(std::size_t index);
    void markStoredSelection();
    std::unique_ptr<platform::Label> makeLabel(const std::string& text, double size, bool bold);

    platform::Platform& platform_;
    SettingsStore& settings_;
    CatalogueSource catalogue_;

    platform::Rect frame_ = viewFrame;
    std::vector<WallpaperView> items_;
    std::vector<std::unique_ptr<WallpaperCardView>> cardViews_;

    std::unique_ptr<platform::ContentView> view_;
    std::unique_ptr<platform::Label> heading_;
    std::unique_ptr<platform::StackView> grid_;
    std::vector<std::unique_ptr<platform::StackView>> rows_;
    std::unique_ptr<platform::Widget> separator_;
    std::unique_ptr<platform::Checkbox> launchCheckbox_;
    std::unique_ptr<platform::StackView> footer_;
    std::unique_ptr<platform::Label> versionLabel_;
    std::unique_ptr<platform::LinkButton> websiteButton_;

    platform::WeakAnchor<SettingsViewController> anchor_{this};
};
