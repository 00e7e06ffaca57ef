#pragma once

#include "platform/WebView.h"

namespace screensaver {

// Turns the engine's window-occlusion detection on or off where the engine has the
// private switch; elsewhere nothing happens and nothing is logged.
void setWindowOcclusionDetectionEnabled(platform::WebView& webView, bool enabled);

}  // namespace screensaver
