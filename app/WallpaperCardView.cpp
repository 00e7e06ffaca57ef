#include "app/WallpaperCardView.h"

#include "platform/ImageAsset.h"

WallpaperCardView::WallpaperCardView(platform::SettingsWindow& window, std::size_t position,
                                     const platform::Bundle& bundle)
    : window_(window), position_(position), bundle_(bundle) {}

platform::CardFrames WallpaperCardView::layout(double w, double h) {
    const platform::Rect bounds{0, 0, w, h};
    // 55 % of the height, computed as h * 55 / 100 so that whole sizes give exact frames.
    const double previewHeight = h * 55.0 / 100.0;
    return {
        .container = bounds,
        .preview = {8, h - previewHeight - 8, w - 16, previewHeight},
        .title = {10, 30, w - 20, 17},
        .description = {10, 12, w - 20, 14},
        .overlay = bounds,
        .glyph = {0, (h - 32) * 0.5, w, 32},
    };
}

void WallpaperCardView::animateScale(double factor) { window_.scaleCard(position_, factor, scaleAnimationSeconds); }

void WallpaperCardView::handleClick() {
    if (onTap) {
        onTap();
    }
}

void WallpaperCardView::configure(const WallpaperView& entry) {
    face_.title = entry.title;
    face_.description = entry.description;
    face_.preview = platform::imageAssetPath(bundle_, entry.imageName);
    face_.covered = entry.isComingSoon == true;
    show();
}

void WallpaperCardView::setSelected(bool selected) {
    face_.borderWidth = selected ? selectedBorderWidth : 0;
    show();
}

void WallpaperCardView::show() { window_.showCard(position_, face_); }
