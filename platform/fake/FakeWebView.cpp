#include "platform/fake/FakeWebView.h"

namespace platform::fake {

FakeWebView::FakeWebView(CallRecord& record, Rect frame, WebViewConfiguration configuration)
    : record_(record), frame_(frame), configuration_(configuration) {}

void FakeWebView::setDrawsBackground(bool draws) {
    record_.add(std::string("webView.setDrawsBackground ") + (draws ? "true" : "false"));
}

void FakeWebView::setWantsLayer(bool wants) {
    record_.add(std::string("webView.setWantsLayer ") + (wants ? "true" : "false"));
}

void FakeWebView::setLayerBackgroundColorBlack() { record_.add("webView.setLayerBackgroundColor black"); }

void FakeWebView::setAutoresizingMask(unsigned mask) {
    record_.add("webView.setAutoresizingMask " + std::to_string(mask));
}

void FakeWebView::setNavigationDelegate(NavigationDelegate* delegate) {
    delegate_ = delegate;
    record_.add(std::string("webView.setNavigationDelegate ") + (delegate ? "set" : "none"));
}

void FakeWebView::clearUIDelegate() { record_.add("webView.clearUIDelegate"); }

void FakeWebView::load(const URLRequest& request) {
    loadedURLs.push_back(request.url);
    record_.add("webView.load " + request.url +
                " timeout=" + std::to_string(static_cast<int>(request.timeoutInterval)) +
                " cachePolicy=" + std::to_string(static_cast<int>(request.cachePolicy)));
}

void FakeWebView::loadFileURL(const std::string& fileURL, const std::string& accessURL) {
    loadedURLs.push_back(fileURL);
    record_.add("webView.loadFileURL " + fileURL + " access=" + accessURL);
}

void FakeWebView::stopLoading() { record_.add("webView.stopLoading"); }

void FakeWebView::evaluateJavaScript(const std::string& script, JavaScriptCompletion completion) {
    record_.add("webView.evaluateJavaScript " + script);
    if (completion) {
        completion(nextJavaScriptError);
    }
}

bool FakeWebView::respondsToSelector(const std::string& selector) const { return knownSelectors.count(selector) > 0; }

void FakeWebView::performSelector(const std::string& selector, bool argument) {
    record_.add("webView.perform " + selector + " " + (argument ? "true" : "false"));
}

void FakeWebView::removeFromSuperview() { record_.add("webView.removeFromSuperview"); }

void FakeWebView::finishLoad() {
    if (delegate_) {
        delegate_->webViewDidFinish();
    }
}

void FakeWebView::failLoad(const WebError& error) {
    if (delegate_) {
        delegate_->webViewDidFail(error);
    }
}

void FakeWebView::failProvisionalLoad(const WebError& error) {
    if (delegate_) {
        delegate_->webViewDidFailProvisionalNavigation(error);
    }
}

}  // namespace platform::fake
