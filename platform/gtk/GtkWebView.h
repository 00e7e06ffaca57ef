#pragma once

#include "platform/PageRecovery.h"
#include "platform/WebView.h"
#include "platform/gtk/GObjectPtr.h"
#include "platform/gtk/OwnViewSite.h"
#include "platform/gtk/WebEngineTuning.h"
#include "platform/gtk/WebProcessWatchdog.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <memory>
#include <string>

namespace platform::gtk {

// A WebKitGTK web view with a transparent background that never opens windows,
// starts downloads or grants a permission. It looks after its page unattended: a
// web process that ends is replaced and the page reloaded; a page that fails to
// load (no network yet, an error status, a timeout) is tried again with backoff
// and at once when the network returns, and never shows the engine's error page.
class GtkWebView : public WebView {
public:
    GtkWebView(const Rect& frame, const WebViewConfiguration& configuration, WebEngineTuning& engine);
    ~GtkWebView() override;

    void setDrawsBackground(bool draws) override;
    void setLayerBackgroundColorBlack() override;
    void setNavigationDelegate(NavigationDelegate* delegate) override { delegate_ = delegate; }
    void load(const URLRequest& request) override;
    void loadFileURL(const std::string& fileURL, const std::string& accessURL) override;
    void stopLoading() override;
    void evaluateJavaScript(const std::string& script, JavaScriptCompletion completion) override;
    bool webProcessRunning() const override { return webProcessRunning_; }
    void removeFromSuperview() override;

    GtkWidget* widget() const { return GTK_WIDGET(view_.get()); }
    WebKitWebView* webKitView() const { return view_.get(); }

    // Ends the web process of every web view at once: at quit, a renderer busy with
    // a heavy page would otherwise outlive the application for many seconds.
    static void endAllWebProcesses();

private:
    void connectSignals();
    // Loads the page; `again` for a retry of the page already asked for.
    void loadAddress(const std::string& address, double timeoutSeconds, bool again = false);
    // Loads `target`, the address on this account's own site where the page is one of it.
    void loadTarget(const std::string& target, double timeoutSeconds, bool again);
    void startTimeout(double seconds);
    void cancelTimeout();
    void scheduleRetry(PageRecovery::Delay delay);
    void cancelRetry();
    void retryNow();
    void startNextPageInFreshWebProcess();

    static void onWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer self);
    static void onNetworkChanged(GNetworkMonitor*, gboolean available, gpointer self);
    static gboolean onRetry(gpointer self);

    static void onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self);
    static gboolean onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer self);
    static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision*, WebKitPolicyDecisionType, gpointer);
    static gboolean onPermissionRequest(WebKitWebView*, WebKitPermissionRequest* request, gpointer);
    static GtkWidget* onCreate(WebKitWebView*, WebKitNavigationAction*, gpointer);
    static gboolean onTimeout(gpointer self);
    void endUnresponsiveWebProcess();
    static gboolean onSiteCheck(gpointer self);

    GObjectPtr<WebKitWebContext> context_;
    GObjectPtr<WebKitWebView> view_;
    WebViewConfiguration configuration_;
    NavigationDelegate* delegate_ = nullptr;
    bool committed_ = false;
    bool failed_ = false;
    guint timeout_ = 0;

    // The page last asked for, for a reload after a failure or a renderer end.
    std::string address_;
    double timeoutSeconds_ = 0;
    // The load was stopped by its own time limit (not replaced or stopped on request).
    bool timedOut_ = false;
    // The error status the server answered the page with, if it answered with one.
    unsigned httpStatus_ = 0;
    bool webProcessRunning_ = true;
    // A page has been committed in the current web process.
    bool processHoldsAPage_ = false;
    // The web process ended and no load has been started since.
    bool rendererEndedSinceLoad_ = false;
    bool ending_ = false;
    // The watchdog ended the web process: its end is recovered from like a crash.
    bool endedAsUnresponsive_ = false;
    std::unique_ptr<WebProcessWatchdog> watchdog_;
    PageRecovery recovery_;
    guint retry_ = 0;
    guint siteCheck_ = 0;
    // The address of the page asked for, while this account's site is looked for.
    std::unique_ptr<OwnViewSite::Request> siteRequest_;
    // The minute's check that the site still answers, while it is made.
    std::unique_ptr<OwnViewSite::Request> siteSilence_;
    gulong networkHandler_ = 0;
};

}  // namespace platform::gtk
