#include "platform/fake/FakeWebView.h"

namespace platform::fake {

FakeWebView::FakeWebView(CallRecord& record, Rect frame, WebViewConfiguration configuration)
    : record_(record), frame_(frame), configuration_(configuration) {}

void FakeWebView::setDrawsBackground(bool draws) {
    record_.add(std::string("webView.setDrawsBackground ") + (draws ? "true" : "false"));
}

void FakeWebView::setLayerBackgroundColorBlack() { record_.add("webView.setLayerBackgroundColor black"); }

void FakeWebView::setNavigationDelegate(NavigationDelegate* delegate) {
    delegate_ = delegate;
    record_.add(std::string("webView.setNavigationDelegate ") + (delegate ? "set" : "none"));
}

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
