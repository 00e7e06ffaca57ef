#pragma once

#include "app/WallpaperView.h"
#include "platform/Bundle.h"
#include "platform/Rect.h"
#include "platform/SettingsWindow.h"

#include <cstddef>
#include <functional>

// One catalogue entry as a clickable card in the settings grid: what the card shows,
// how far it grows and whether it is marked. The card decides nothing else: what a
// click means and which card is marked is up to its owner.
class WallpaperCardView {
public:
    // The card's size in the settings grid.
    static constexpr platform::Rect standardFrame{0, 0, 240, 200};
    static constexpr double hoverScale = 1.03;
    static constexpr double scaleAnimationSeconds = 0.15;
    static constexpr double selectedBorderWidth = 2.5;

    // The card at `position` of `window`'s grid.
    WallpaperCardView(platform::SettingsWindow& window, std::size_t position, const platform::Bundle& bundle);

    void configure(const WallpaperView& entry);
    void setSelected(bool selected);

    // The pointer and the click, as the window reports them.
    void mouseEntered() { animateScale(hoverScale); }
    void mouseExited() { animateScale(1.0); }
    void handleClick();

    // Called once per click anywhere on the card.
    std::function<void()> onTap;

    // Where the parts of a card of this size go (origin at the bottom-left corner).
    static platform::CardFrames layout(double width, double height);

    const platform::CardFace& face() const { return face_; }

private:
    void animateScale(double factor);
    void show();

    platform::SettingsWindow& window_;
    std::size_t position_;
    const platform::Bundle& bundle_;
    // A new card is unmarked and covered until it is configured.
    platform::CardFace face_;
};
