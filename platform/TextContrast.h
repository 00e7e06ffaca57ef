#pragma once

namespace platform {

// Semantic text colours: they follow the desktop's light or dark theme.
enum class TextColor {
    label,           // the theme's text colour
    secondaryLabel,  // dimmed, for subtitles
    tertiaryLabel,   // dimmed further, for fine print
};

// An opaque colour, each channel from 0 to 1 (sRGB).
struct Rgb {
    double red;
    double green;
    double blue;
};

// The WCAG contrast ratio of two colours: 1 (none) to 21 (black on white).
double contrastRatio(const Rgb& a, const Rgb& b);

// The least contrast body text may have against its background; and the least in a
// high-contrast theme, whose user asked for more than the usual.
inline constexpr double minimumTextContrast = 4.5;
inline constexpr double enhancedTextContrast = 7.0;

// `color` where it has `minimumContrast` against `background`; else the first colour on
// the way from it to `strongest` that has (`strongest` itself where even that is too
// weak). A link keeps its hue as far as it can this way, moving towards the text colour.
Rgb towardsContrast(const Rgb& color, const Rgb& strongest, const Rgb& background,
                    double minimumContrast = minimumTextContrast);

// The colour of dimmed text: the theme's text colour `text` laid over `background` at
// `opacity`, but never fainter than `minimumContrast` allows. Where the theme's own
// text colour has less contrast than that, it is used as it is.
Rgb dimmedTextColor(const Rgb& text, const Rgb& background, double opacity,
                    double minimumContrast = minimumTextContrast);

// How strongly each semantic text colour shows the theme's text colour over the
// background, before the minimum contrast is applied.
constexpr double opacityOf(TextColor color) {
    switch (color) {
    case TextColor::label: return 1.0;
    case TextColor::secondaryLabel: return 0.6;
    case TextColor::tertiaryLabel: return 0.4;
    }
    return 1.0;
}

// Whether the theme's border colour stands out from the background enough to outline
// a control (3:1, the least a control's edge needs to be seen).
bool isVisibleEdge(const Rgb& border, const Rgb& background);

}  // namespace platform
