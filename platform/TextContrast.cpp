#include "platform/TextContrast.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const Rgb& c) { return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue); }

Rgb over(const Rgb& top, const Rgb& bottom, double opacity) {
    return {top.red * opacity + bottom.red * (1 - opacity), top.green * opacity + bottom.green * (1 - opacity),
            top.blue * opacity + bottom.blue * (1 - opacity)};
}

}  // namespace

double contrastRatio(const Rgb& a, const Rgb& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb towardsContrast(const Rgb& color, const Rgb& strongest, const Rgb& background, double minimumContrast) {
    if (contrastRatio(color, background) >= minimumContrast) {
        return color;
    }
    if (contrastRatio(strongest, background) <= minimumContrast) {
        return strongest;
    }
    // Contrast grows along the way to `strongest`: find the first point that is enough.
    double weak = 0.0;
    double enough = 1.0;
    for (int step = 0; step < 30; ++step) {
        const double middle = (weak + enough) / 2;
        (contrastRatio(over(strongest, color, middle), background) >= minimumContrast ? enough : weak) = middle;
    }
    return over(strongest, color, enough);
}

Rgb dimmedTextColor(const Rgb& text, const Rgb& background, double opacity, double minimumContrast) {
    if (contrastRatio(text, background) <= minimumContrast) {
        return text;
    }
    return towardsContrast(over(text, background, std::clamp(opacity, 0.0, 1.0)), text, background, minimumContrast);
}

bool isVisibleEdge(const Rgb& border, const Rgb& background) { return contrastRatio(border, background) >= 3.0; }

}  // namespace platform
