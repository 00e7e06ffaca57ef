#pragma once

#include "app/WallpaperView.h"
#include "platform/Bundle.h"
#include "platform/CardSurface.h"
#include "platform/Rect.h"
#include "platform/WidgetFactory.h"

#include <functional>
#include <memory>

// One catalogue entry as a clickable card in the settings grid. The card decides
// nothing: what a click means and which card is marked is up to its owner.
class WallpaperCardView {
public:
    // The card's size in the settings grid.
    static constexpr platform::Rect standardFrame{0, 0, 240, 200};
    static constexpr double hoverScale = 1.03;
    static constexpr double scaleAnimationSeconds = 0.15;
    static constexpr double selectedBorderWidth = 2.5;

    WallpaperCardView(platform::WidgetFactory& widgets, const platform::Bundle& bundle,
                      const platform::Rect& frame = standardFrame);

    void configure(const WallpaperView& entry);
    void setSelected(bool selected);

    // Called once per click anywhere on the card.
    std::function<void()> onTap;

    // Where the parts of a card of this size go (origin at the bottom-left corner).
    static platform::CardFrames layout(double width, double height);
    // How every card looks.
    static platform::CardStyle style();

    platform::CardSurface& surface() { return *surface_; }

private:
    void setup();
    void addHoverEffect();
    void addClickGesture();
    void animateScale(double factor);
    void handleClick();

    const platform::Bundle& bundle_;
    std::unique_ptr<platform::CardSurface> surface_;
};
