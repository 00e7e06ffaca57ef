#pragma once

#include "platform/WebView.h"
#include "platform/gtk/GObjectPtr.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

namespace platform::gtk {

// A WebKitGTK web view with a transparent background that never opens windows,
// starts downloads or grants a permission.
class GtkWebView : public WebView {
public:
    GtkWebView(const Rect& frame, const WebViewConfiguration& configuration);
    ~GtkWebView() override;

    void setDrawsBackground(bool draws) override;
    void setWantsLayer(bool) override {}
    void setLayerBackgroundColorBlack() override;
    void setAutoresizingMask(unsigned) override {}
    void setNavigationDelegate(NavigationDelegate* delegate) override { delegate_ = delegate; }
    void clearUIDelegate() override {}
    void load(const URLRequest& request) override;
    void loadFileURL(const std::string& fileURL, const std::string& accessURL) override;
    void stopLoading() override;
    void evaluateJavaScript(const std::string& script, JavaScriptCompletion completion) override;
    bool respondsToSelector(const std::string&) const override { return false; }
    void performSelector(const std::string&, bool) override {}
    void removeFromSuperview() override;

    GtkWidget* widget() const { return GTK_WIDGET(view_.get()); }
    WebKitWebView* webKitView() const { return view_.get(); }

private:
    static WebKitWebContext* contextFor(const WebViewConfiguration& configuration);
    void connectSignals();
    void startTimeout(double seconds);
    void cancelTimeout();

    static void onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self);
    static gboolean onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer self);
    static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision*, WebKitPolicyDecisionType, gpointer);
    static gboolean onPermissionRequest(WebKitWebView*, WebKitPermissionRequest* request, gpointer);
    static GtkWidget* onCreate(WebKitWebView*, WebKitNavigationAction*, gpointer);
    static gboolean onTimeout(gpointer self);

    GObjectPtr<WebKitWebContext> context_;
    GObjectPtr<WebKitWebView> view_;
    WebViewConfiguration configuration_;
    NavigationDelegate* delegate_ = nullptr;
    bool committed_ = false;
    bool failed_ = false;
    guint timeout_ = 0;
};

}  // namespace platform::gtk
