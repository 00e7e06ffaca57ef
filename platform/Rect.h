#pragma once

namespace platform {

// A rectangle in global screen coordinates (origin top-left on Linux desktops).
struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace platform
