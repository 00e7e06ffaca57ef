#pragma once

#include "platform/Rect.h"
#include "platform/URLRequest.h"
#include "platform/WebError.h"

#include <functional>
#include <optional>
#include <string>

namespace platform {

struct WebViewConfiguration {
    // Keep the page off screen until it has fully rendered once.
    bool suppressesIncrementalRendering = false;
    // Cookies, caches and storage in memory only, gone with the web view.
    bool nonPersistentDataStore = false;
};

// Receives the outcome of the web view's main-frame loads.
class NavigationDelegate {
public:
    virtual ~NavigationDelegate() = default;
    virtual void webViewDidFinish() = 0;
    virtual void webViewDidFail(const WebError& error) = 0;
    virtual void webViewDidFailProvisionalNavigation(const WebError& error) = 0;
};

// A web view; it fills the window it is added to.
class WebView {
public:
    virtual ~WebView() = default;

    virtual void setDrawsBackground(bool draws) = 0;
    virtual void setLayerBackgroundColorBlack() = 0;
    virtual void setNavigationDelegate(NavigationDelegate* delegate) = 0;

    virtual void load(const URLRequest& request) = 0;
    // Loads a local page, letting it read only what lies in the access folder.
    virtual void loadFileURL(const std::string& fileURL, const std::string& accessURL) = 0;
    virtual void stopLoading() = 0;

    using JavaScriptCompletion = std::function<void(const std::optional<WebError>& error)>;
    virtual void evaluateJavaScript(const std::string& script, JavaScriptCompletion completion) = 0;

    // False from the moment the page's web process ends until a new one shows the
    // page again: there is nothing to evaluate a script in meanwhile.
    virtual bool webProcessRunning() const = 0;

    virtual void removeFromSuperview() = 0;
};

}  // namespace platform
