#include "screensaver/ScreenSaverView.h"

#include <algorithm>
#include <cmath>

namespace screensaver {

bool ScreenSaverView::canInitialize(const platform::Rect& frame) {
    return std::isfinite(frame.x) && std::isfinite(frame.y) && std::isfinite(frame.width) &&
           std::isfinite(frame.height) && frame.width >= 0 && frame.height >= 0;
}

void ScreenSaverView::addSubview(platform::WebView& view) {
    subviews_.push_back(&view);
    // Without a window the subview waits and goes along when the view is placed.
    if (window_ != nullptr && window_->hasContentView()) {
        window_->addSubview(view);
    }
}

void ScreenSaverView::removeSubview(platform::WebView& view) {
    std::erase(subviews_, &view);
    view.removeFromSuperview();
}

}  // namespace screensaver
