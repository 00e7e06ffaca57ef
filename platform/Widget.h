#pragma once

namespace platform {

// The text styles the settings window uses. Sizes are in points, one point being
// one logical pixel, so that text fits the frames laid out around it.
struct Font {
    double size = 13;
    bool bold = false;

    friend bool operator==(const Font&, const Font&) = default;
};

// Semantic text colours: they follow the desktop's light or dark theme.
enum class TextColor {
    label,           // the theme's text colour
    secondaryLabel,  // dimmed, for subtitles
    tertiaryLabel,   // dimmed further, for fine print
};

// Anything that can be placed in a window's content. Widgets are owned by whoever
// made them; adding one to a container does not pass ownership.
class Widget {
public:
    virtual ~Widget() = default;
};

}  // namespace platform
