#pragma once

#include "platform/DistributedNotificationCenter.h"
#include "platform/MainQueue.h"
#include "platform/Rect.h"
#include "platform/WebView.h"

#include <memory>

namespace platform {

// Posted by the host on the distributed notification centre it lends the module when
// the screen saver is told to stop; every view of the module observes it.
inline constexpr const char* screenSaverWillStopNotification = "com.apple.screensaver.willstop";

// What a screen-saver host lends the module it loads: the module never talks to the
// desktop itself, so its code runs unchanged in the real host and on the fake.
// The layers and what may include what: docs/ARCHITECTURE.md.
class ScreenSaverServices {
public:
    virtual ~ScreenSaverServices() = default;

    virtual std::unique_ptr<WebView> makeWebView(const Rect& frame, const WebViewConfiguration& configuration) = 0;
    virtual MainQueue& mainQueue() = 0;
    virtual DistributedNotificationCenter& distributedNotificationCenter() = 0;
    // Ends the process at once with `status`; it does not return.
    virtual void exitProcess(int status) = 0;
};

}  // namespace platform
