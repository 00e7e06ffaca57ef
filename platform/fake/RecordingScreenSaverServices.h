#pragma once

#include "platform/ScreenSaverServices.h"
#include "platform/fake/RecordingPlatform.h"

#include <optional>
#include <string>

namespace platform::fake {

// Thrown by the fake's process exit: like the real exit, nothing after it runs,
// but the test gets control back.
struct ProcessExited {
    int status;
};

class RecordingDistributedNotificationCenter : public DistributedNotificationCenter {
public:
    explicit RecordingDistributedNotificationCenter(CallRecord& record) : record_(record) {}
    void addObserver(const void* observer, const std::string& name, Handler handler) override;
    void removeObserver(const void* observer) override;
    void post(const std::string& name) override;
    size_t observerCount() const { return observers_; }

private:
    CallRecord& record_;
    InProcessDistributedNotificationCenter center_;
    size_t observers_ = 0;
};

// The screen-saver host's services on the recording platform: web views, timers and
// log lines go to `platform.record` like everything else.
class RecordingScreenSaverServices : public ScreenSaverServices {
public:
    explicit RecordingScreenSaverServices(RecordingPlatform& platform)
        : platform_(platform), center_(platform.record) {}

    std::unique_ptr<WebView> makeWebView(const Rect& frame, const WebViewConfiguration& configuration) override {
        return platform_.makeWebView(frame, configuration);
    }
    MainQueue& mainQueue() override { return platform_.mainQueue_; }
    DistributedNotificationCenter& distributedNotificationCenter() override { return center_; }
    // Records "process.exit <status>" and throws ProcessExited.
    void exitProcess(int status) override;

    RecordingDistributedNotificationCenter& center() { return center_; }

private:
    RecordingPlatform& platform_;
    RecordingDistributedNotificationCenter center_;
};

}  // namespace platform::fake
