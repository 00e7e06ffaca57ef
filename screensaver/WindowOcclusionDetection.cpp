#include "screensaver/WindowOcclusionDetection.h"

namespace screensaver {

void setWindowOcclusionDetectionEnabled(platform::WebView& webView, bool enabled) {
    static const std::string selector = "_setWindowOcclusionDetectionEnabled:";
    if (webView.respondsToSelector(selector)) {
        webView.performSelector(selector, enabled);
    }
}

}  // namespace screensaver
