#pragma once

#include "platform/Widget.h"

namespace platform {

// Where a widget sits across the content view.
struct HorizontalPlacement {
    enum class Kind { leading, centered, stretched } kind = Kind::leading;
    double inset = 0;  // from the leading edge (leading), from both edges (stretched)

    static HorizontalPlacement leadingInset(double inset) { return {Kind::leading, inset}; }
    static HorizontalPlacement centeredPlacement() { return {Kind::centered, 0}; }
    static HorizontalPlacement stretchedInset(double inset) { return {Kind::stretched, inset}; }
    friend bool operator==(const HorizontalPlacement&, const HorizontalPlacement&) = default;
};

// The fixed-size content of a window. Widgets are stacked from the top edge down,
// each `gap` points below the one before (the first below the top edge), and at
// most one is pinned `gap` points above the bottom edge.
class ContentView : public Widget {
public:
    virtual void addBelowPrevious(Widget& widget, double gap, HorizontalPlacement placement) = 0;
    virtual void pinToBottom(Widget& widget, double gap, HorizontalPlacement placement) = 0;
};

}  // namespace platform
