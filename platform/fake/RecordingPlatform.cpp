#include "platform/fake/RecordingPlatform.h"

#include "platform/Log.h"

#include <cstdio>

namespace platform::fake {

namespace {
std::string describe(const Rect& r) {
    char text[96];
    std::snprintf(text, sizeof text, "{%g,%g,%g,%g}", r.x, r.y, r.width, r.height);
    return text;
}
}  // namespace

void FakeApplication::terminate(int status) {
    record_.add("application.terminate " + std::to_string(status));
    terminatedWith = status;
}

RecordingPlatform::RecordingPlatform(std::filesystem::path bundlePath) : bundle_(std::move(bundlePath)) {
    setLogSink([this](std::string_view text) { record.add("log " + std::string(text)); });
}

RecordingPlatform::~RecordingPlatform() { setLogSink(nullptr); }

std::optional<Rect> RecordingPlatform::mainScreenFrame() {
    record.add("screen.main " + (screenFrame ? describe(*screenFrame) : std::string("none")));
    return screenFrame;
}

std::unique_ptr<Window> RecordingPlatform::makeBorderlessWindow(const Rect& contentRect) {
    record.add("window.create " + describe(contentRect));
    auto window = std::make_unique<FakeWindow>(record, "window");
    windows.push_back(window.get());
    if (onWindowMade) {
        onWindowMade(*window);
    }
    return window;
}

std::unique_ptr<WebView> RecordingPlatform::makeWebView(const Rect& frame, const WebViewConfiguration& configuration) {
    record.add("webView.create " + describe(frame) + (configuration.nonPersistentDataStore ? " nonPersistent" : "") +
               (configuration.suppressesIncrementalRendering ? " suppressesIncrementalRendering" : ""));
    auto view = std::make_unique<FakeWebView>(record, frame, configuration);
    webViews.push_back(view.get());
    return view;
}

std::unique_ptr<SettingsWindow> RecordingPlatform::makeSettingsWindow(const SettingsWindowContent& content,
                                                                      SettingsWindowEvents events) {
    auto window = std::make_unique<FakeSettingsWindow>(record, content, std::move(events));
    settingsWindows.push_back(window.get());
    return window;
}

std::unique_ptr<StatusItem> RecordingPlatform::makeStatusItem(double length) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", length);
    record.add(std::string("statusItem.create length=") + text);
    auto item = std::make_unique<FakeStatusItem>(record, statusItemsHaveButton);
    statusItems.push_back(item.get());
    return item;
}

std::unique_ptr<Menu> RecordingPlatform::makeMenu() {
    record.add("menu.create");
    return std::make_unique<FakeMenu>(record);
}

}  // namespace platform::fake
