#pragma once

#include "platform/WebView.h"
#include "platform/fake/CallRecord.h"

#include <optional>
#include <string>
#include <vector>

namespace platform::fake {

class FakeWebView : public WebView {
public:
    FakeWebView(CallRecord& record, Rect frame, WebViewConfiguration configuration);

    // The frame it was made with (the product never asks a web view for it).
    Rect frame() const { return frame_; }

    void setDrawsBackground(bool draws) override;
    void setLayerBackgroundColorBlack() override;
    void setNavigationDelegate(NavigationDelegate* delegate) override;
    void load(const URLRequest& request) override;
    void loadFileURL(const std::string& fileURL, const std::string& accessURL) override;
    void stopLoading() override;
    void evaluateJavaScript(const std::string& script, JavaScriptCompletion completion) override;
    bool webProcessRunning() const override { return webProcessRunning_; }
    void removeFromSuperview() override;

    const WebViewConfiguration& configuration() const { return configuration_; }
    NavigationDelegate* navigationDelegate() const { return delegate_; }

    // Drives the engine's side: the delegate hears of a finished or failed load.
    void finishLoad();
    void failLoad(const WebError& error);
    void failProvisionalLoad(const WebError& error);
    // The page's web process ends, or a new one takes the page up again.
    void setWebProcessRunning(bool running) { webProcessRunning_ = running; }

    // The error the next evaluations complete with (nothing: they succeed).
    std::optional<WebError> nextJavaScriptError;
    std::vector<std::string> loadedURLs;

private:
    CallRecord& record_;
    Rect frame_;
    WebViewConfiguration configuration_;
    NavigationDelegate* delegate_ = nullptr;
    bool webProcessRunning_ = true;
};

}  // namespace platform::fake
