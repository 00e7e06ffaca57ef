#include "app/WallpaperCardView.h"

#include "platform/ImageAsset.h"

WallpaperCardView::WallpaperCardView(platform::WidgetFactory& widgets, const platform::Bundle& bundle,
                                     const platform::Rect& frame)
    : bundle_(bundle), surface_(widgets.makeCardSurface(frame)) {
    setup();
}

platform::CardStyle WallpaperCardView::style() {
    platform::CardStyle style;
    style.panelCornerRadius = 16;
    // Soft, slightly lowered: the panel floats just above the window.
    style.panelShadow = {.opacity = 0.18, .radius = 10, .offsetX = 0, .offsetY = -2};
    style.previewCornerRadius = 10;
    style.previewStretchesToFill = true;
    style.titleFont = {13, true};
    style.titleColor = platform::TextColor::label;
    style.descriptionFont = {11, false};
    style.descriptionColor = platform::TextColor::secondaryLabel;
    style.overlayCornerRadius = 16;
    style.overlayBlackAlpha = 0.45;
    style.glyph = "\U0001F512";
    style.glyphFont = {24, false};
    return style;
}

void WallpaperCardView::setup() {
    surface_->applyStyle(style());
    surface_->setOnLayout([this](double width, double height) { surface_->setFrames(layout(width, height)); });
    addHoverEffect();
    addClickGesture();
}

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

void WallpaperCardView::addHoverEffect() {
    surface_->setOnPointerEntered([this] { animateScale(hoverScale); });
    surface_->setOnPointerExited([this] { animateScale(1.0); });
}

void WallpaperCardView::addClickGesture() {
    surface_->setOnClick([this] { handleClick(); });
}

void WallpaperCardView::animateScale(double factor) { surface_->animateScale(factor, scaleAnimationSeconds); }

void WallpaperCardView::handleClick() {
    if (onTap) {
        onTap();
    }
}

void WallpaperCardView::configure(const WallpaperView& entry) {
    surface_->setTitle(entry.title);
    surface_->setDescription(entry.description);
    surface_->setPreviewImage(platform::imageAssetPath(bundle_, entry.imageName));
    surface_->setOverlayHidden(entry.isComingSoon != true);
}

void WallpaperCardView::setSelected(bool selected) {
    if (selected) {
        surface_->setBorder(selectedBorderWidth, platform::BorderColor::accent);
    } else {
        surface_->setBorder(0, platform::BorderColor::clear);
    }
}
