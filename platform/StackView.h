#pragma once

#include "platform/Widget.h"

namespace platform {

enum class StackOrientation { horizontal, vertical };

// Lays its arranged widgets out in one line, each at its own size, `spacing` points
// apart; a horizontal stack centres them vertically.
class StackView : public Widget {
public:
    virtual void addArrangedSubview(Widget& widget) = 0;
};

}  // namespace platform
