#pragma once

#include "platform/Rect.h"
#include "platform/Widget.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// The frames of a card's parts, in the card's own coordinates with the origin at
// its bottom-left corner (y grows upwards). `glyph` is relative to `overlay`.
struct CardFrames {
    Rect container;
    Rect preview;
    Rect title;
    Rect description;
    Rect overlay;
    Rect glyph;

    friend bool operator==(const CardFrames&, const CardFrames&) = default;
};

// A black shadow under the card's panel; a negative y offset points down.
struct Shadow {
    double opacity = 0;
    double radius = 0;
    double offsetX = 0;
    double offsetY = 0;

    friend bool operator==(const Shadow&, const Shadow&) = default;
};

// How a card's parts are drawn. Colours are the theme's: the panel takes the window
// background colour of the theme in force when the style is applied.
struct CardStyle {
    double panelCornerRadius = 0;
    Shadow panelShadow;
    double previewCornerRadius = 0;
    bool previewStretchesToFill = false;
    Font titleFont;
    TextColor titleColor = TextColor::label;
    Font descriptionFont;
    TextColor descriptionColor = TextColor::secondaryLabel;
    double overlayCornerRadius = 0;
    double overlayBlackAlpha = 0;
    std::string glyph;
    Font glyphFont;
};

enum class BorderColor {
    accent,  // the desktop's selection colour, read again when the theme changes
    clear,
};

// The drawn face of a view card: a rounded, shadowed panel with a preview picture,
// a title and a description, and a dark overlay with a centred glyph. Long texts
// are cut at the end with an ellipsis. The surface reports its size changes,
// pointer entry and exit, and clicks anywhere on it.
class CardSurface : public Widget {
public:
    virtual void applyStyle(const CardStyle& style) = 0;
    // Keeps the card at this size whatever its container offers.
    virtual void fixSize(double width, double height) = 0;

    virtual void setTitle(const std::string& text) = 0;
    virtual void setDescription(const std::string& text) = 0;
    // Nothing: the picture stays empty.
    virtual void setPreviewImage(const std::optional<std::filesystem::path>& file) = 0;
    virtual void setOverlayHidden(bool hidden) = 0;
    virtual void setBorder(double width, BorderColor color) = 0;
    virtual void setFrames(const CardFrames& frames) = 0;

    // Scales the whole card to `factor` about its anchor, the bottom-left corner (a
    // layer's anchor, left unchanged), replacing the previous scale, animated over
    // `seconds`.
    virtual void animateScale(double factor, double seconds) = 0;

    // Called with the card's new size whenever it changes, and once when first laid out.
    virtual void setOnLayout(std::function<void(double width, double height)> handler) = 0;
    virtual void setOnPointerEntered(std::function<void()> handler) = 0;
    virtual void setOnPointerExited(std::function<void()> handler) = 0;
    virtual void setOnClick(std::function<void()> handler) = 0;
};

}  // namespace platform
