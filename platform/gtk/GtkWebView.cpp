#include "platform/gtk/GtkWebView.h"

#include "platform/ControlCharacterEscape.h"
#include "platform/Log.h"
#include "platform/gtk/LocalPageScheme.h"
#include "platform/gtk/OwnViewSite.h"
#include "platform/gtk/WebEngineTuning.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <set>
#include <utility>

namespace platform::gtk {

namespace {

WebError webErrorFrom(const GError* error, const char* uri) {
    return WebError{g_quark_to_string(error->domain), error->code, error->message ? error->message : "",
                    uri ? uri : ""};
}

gboolean swallow(WebKitWebView*, gpointer) { return TRUE; }

std::set<GtkWebView*>& liveViews() {
    static std::set<GtkWebView*> views;
    return views;
}

// What a load the time limit stopped failed with. The code is the one URL loaders
// give a timed-out request, so a reader of the full description sees it too.
WebError timedOutError(double seconds, const std::string& url) {
    constexpr int timedOutCode = -1001;
    return WebError{"WebKitNetworkError", timedOutCode,
                    "The request timed out after " + std::to_string(std::lround(seconds)) + " seconds.", url};
}

// How often the page's own view site is checked for an answer.
constexpr guint siteCheckSeconds = 60;

std::string secondsText(PageRecovery::Delay delay) {
    char text[32];
    std::snprintf(text, sizeof text, "%g s", static_cast<double>(delay.count()) / 1000.0);
    return text;
}

const char* terminationText(WebKitWebProcessTerminationReason reason) {
    switch (reason) {
    case WEBKIT_WEB_PROCESS_CRASHED: return "crashed";
    case WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT: return "exceeded its memory limit";
    default: return "was ended";
    }
}

}  // namespace

GtkWebView::GtkWebView(const Rect& frame, const WebViewConfiguration& configuration, WebEngineTuning& engine)
    : context_(configuration.nonPersistentDataStore ? engine.ephemeralContext() : engine.persistentContext()),
      view_(retainFloating(WEBKIT_WEB_VIEW(webkit_web_view_new_with_context(context_.get())))),
      configuration_(configuration) {
    gtk_widget_set_size_request(widget(), static_cast<int>(std::lround(frame.width)),
                                static_cast<int>(std::lround(frame.height)));
    WebKitSettings* settings = webkit_web_view_get_settings(view_.get());
    webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
    webkit_settings_set_enable_developer_extras(settings, FALSE);
    engine.applyTo(settings);
    connectSignals();
    networkHandler_ = g_signal_connect(g_network_monitor_get_default(), "network-changed",
                                       G_CALLBACK(&GtkWebView::onNetworkChanged), this);
    liveViews().insert(this);
    watchdog_ = std::make_unique<WebProcessWatchdog>(view_.get(), [this] { endUnresponsiveWebProcess(); });
    siteCheck_ = g_timeout_add_seconds(siteCheckSeconds, &GtkWebView::onSiteCheck, this);
    if (configuration.suppressesIncrementalRendering) {
        // Shown once the first page has finished loading.
        gtk_widget_set_no_show_all(widget(), TRUE);
    } else {
        gtk_widget_show(widget());
    }
}

GtkWebView::~GtkWebView() {
    siteRequest_.reset();
    siteSilence_.reset();
    g_source_remove(siteCheck_);
    watchdog_.reset();
    liveViews().erase(this);
    g_signal_handler_disconnect(g_network_monitor_get_default(), networkHandler_);
    cancelRetry();
    cancelTimeout();
    g_signal_handlers_disconnect_by_data(view_.get(), this);
    // Each view has a web process of its own; one busy with a heavy page would
    // notice the view's end only when it next looks, and hold its memory until then.
    webkit_web_view_terminate_web_process(view_.get());
    removeFromSuperview();
}

void GtkWebView::connectSignals() {
    g_signal_connect(view_.get(), "load-changed", G_CALLBACK(&GtkWebView::onLoadChanged), this);
    g_signal_connect(view_.get(), "load-failed", G_CALLBACK(&GtkWebView::onLoadFailed), this);
    g_signal_connect(view_.get(), "decide-policy", G_CALLBACK(&GtkWebView::onDecidePolicy), this);
    g_signal_connect(view_.get(), "permission-request", G_CALLBACK(&GtkWebView::onPermissionRequest), this);
    g_signal_connect(view_.get(), "create", G_CALLBACK(&GtkWebView::onCreate), this);
    g_signal_connect(view_.get(), "web-process-terminated", G_CALLBACK(&GtkWebView::onWebProcessTerminated), this);
    // A page's alert(), file chooser or notification has nobody to answer it on a wallpaper.
    g_signal_connect(view_.get(), "script-dialog", G_CALLBACK(swallow), this);
    g_signal_connect(view_.get(), "run-file-chooser", G_CALLBACK(swallow), this);
    g_signal_connect(view_.get(), "show-notification", G_CALLBACK(swallow), this);
}

void GtkWebView::setDrawsBackground(bool draws) {
    const GdkRGBA transparent{0, 0, 0, 0};
    const GdkRGBA white{1, 1, 1, 1};
    webkit_web_view_set_background_color(view_.get(), draws ? &white : &transparent);
}

void GtkWebView::setLayerBackgroundColorBlack() {
    // Where the page is transparent, black shows through.
    const GdkRGBA black{0, 0, 0, 1};
    webkit_web_view_set_background_color(view_.get(), &black);
}

void GtkWebView::load(const URLRequest& request) {
    recovery_.pageRequested();
    startNextPageInFreshWebProcess();
    loadAddress(request.url, request.timeoutInterval);
}

void GtkWebView::loadAddress(const std::string& address, double timeoutSeconds, bool again) {
    cancelRetry();
    address_ = address;
    timeoutSeconds_ = timeoutSeconds;
    timedOut_ = false;
    httpStatus_ = 0;
    rendererEndedSinceLoad_ = false;
    // Kept as asked for: each retry finds this account's site again, wherever it serves.
    // A page of the built-in site is loaded once the site is confirmed, off the main loop;
    // until then the page before it is stopped, as a load that replaced it would.
    siteRequest_ = OwnViewSite::shared().addressFor(address, [this, timeoutSeconds, again](const std::string& target) {
        loadTarget(target, timeoutSeconds, again);
    });
    if (siteRequest_) {
        cancelTimeout();
        webkit_web_view_stop_loading(view_.get());
    }
}

void GtkWebView::loadTarget(const std::string& target, double timeoutSeconds, bool again) {
    siteRequest_.reset();
    if (again) {
        // Trying again means asking the site: a copy the cache still holds would
        // "load" while the site is down and leave the page without its data.
        auto request = adoptGObject(webkit_uri_request_new(target.c_str()));
        if (SoupMessageHeaders* headers = webkit_uri_request_get_http_headers(request.get())) {
            soup_message_headers_replace(headers, "Cache-Control", "no-cache");
        }
        webkit_web_view_load_request(view_.get(), request.get());
    } else {
        webkit_web_view_load_uri(view_.get(), target.c_str());
    }
    if (timeoutSeconds > 0) {
        startTimeout(timeoutSeconds);
    } else {
        cancelTimeout();
    }
}

void GtkWebView::loadFileURL(const std::string& fileURL, const std::string& accessURL) {
    const auto address = LocalPageScheme::pageAddress(view_.get(), fileURL, accessURL);
    if (!address) {
        if (delegate_ != nullptr) {
            delegate_->webViewDidFailProvisionalNavigation(
                WebError{"WebKitNetworkError", 403, "The page lies outside the folder it may read.", fileURL});
        }
        return;
    }
    recovery_.pageRequested();
    startNextPageInFreshWebProcess();
    loadAddress(*address, 0);
}

void GtkWebView::startNextPageInFreshWebProcess() {
    // A wallpaper switches views for days in one web process; what a page leaves behind
    // (its heap, image and font caches, fragmented arenas) is never given back. Ending
    // the process the old page ran in returns all of it: the new page starts as lean as
    // a first launch. Retries of the same page keep their process.
    if (processHoldsAPage_) {
        processHoldsAPage_ = false;
        endedAsUnresponsive_ = false;
        watchdog_->processReplaced();
        webkit_web_view_terminate_web_process(view_.get());
    }
}

void GtkWebView::stopLoading() {
    // Whoever stops the page wants it stopped: no retry brings it back.
    siteRequest_.reset();
    cancelRetry();
    recovery_.pageRequested();
    address_.clear();
    cancelTimeout();
    webkit_web_view_stop_loading(view_.get());
}

void GtkWebView::scheduleRetry(PageRecovery::Delay delay) {
    cancelRetry();
    retry_ = g_timeout_add(static_cast<guint>(delay.count()), &GtkWebView::onRetry, this);
}

void GtkWebView::cancelRetry() {
    if (retry_ != 0) {
        g_source_remove(retry_);
        retry_ = 0;
    }
}

gboolean GtkWebView::onRetry(gpointer data) {
    auto* self = static_cast<GtkWebView*>(data);
    self->retry_ = 0;
    self->retryNow();
    return G_SOURCE_REMOVE;
}

void GtkWebView::retryNow() {
    recovery_.retryStarted();
    if (!address_.empty() && !ending_) {
        loadAddress(address_, timeoutSeconds_, /*again=*/true);
    }
}

void GtkWebView::onNetworkChanged(GNetworkMonitor*, gboolean available, gpointer data) {
    auto* self = static_cast<GtkWebView*>(data);
    // Any change that leaves a network up may be the one the page waited for
    // (a login before the network, a laptop back on Wi-Fi).
    if (!available) {
        return;
    }
    if (self->recovery_.retryNowOnNetworkReturn()) {
        systemLog("▶️ The network changed: loading the page again now.");
        self->cancelRetry();
        self->retryNow();
    }
}

// A stopped or spinning page keeps its last frame, or none, for good: its process is
// ended, and the end is taken up like a crash, with the same backoff.
void GtkWebView::endUnresponsiveWebProcess() {
    // A process already due to be replaced by a retry is left to it. (A page that spins
    // before its load is committed is still ended: WebKit reports no commit for it.)
    if (ending_ || address_.empty() || retry_ != 0) {
        return;
    }
    endedAsUnresponsive_ = true;
    webkit_web_view_terminate_web_process(view_.get());
}

// A page of the built-in site whose site stopped answering (its data fetches fail
// quietly) is loaded again: that finds, or replaces, this account's site.
gboolean GtkWebView::onSiteCheck(gpointer data) {
    auto* self = static_cast<GtkWebView*>(data);
    if (self->ending_ || self->address_.empty() || self->retry_ != 0) {
        return G_SOURCE_CONTINUE;
    }
    self->siteSilence_ = OwnViewSite::shared().whenSilent(self->address_, [self] {
        if (!self->ending_ && !self->address_.empty() && self->retry_ == 0) {
            systemLog("⚠️ The view site stopped answering; loading the page again.");
            self->retryNow();
        }
    });
    return G_SOURCE_CONTINUE;
}

void GtkWebView::onWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer data) {
    auto* self = static_cast<GtkWebView*>(data);
    self->processHoldsAPage_ = false;
    self->watchdog_->processReplaced();
    const bool unresponsive = std::exchange(self->endedAsUnresponsive_, false);
    if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API && !self->ending_ && !unresponsive) {
        // Ended on purpose to give the next page a fresh process; that page's load,
        // already asked for, owns the view's state from here.
        return;
    }
    self->webProcessRunning_ = false;
    self->rendererEndedSinceLoad_ = true;
    self->cancelTimeout();
    if (self->ending_ || (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API && !unresponsive) || self->address_.empty()) {
        return;
    }
    const auto delay = self->recovery_.rendererEnded(PageRecovery::Clock::now());
    const std::string what =
        unresponsive ? "did not answer for " + std::to_string(WebProcessWatchdog::limit.count()) + " s and was ended"
                     : terminationText(reason);
    systemLog("⚠️ The web process " + what + "; reloading the page in " + secondsText(delay) + ".");
    self->scheduleRetry(delay);
}

void GtkWebView::endAllWebProcesses() {
    for (GtkWebView* view : liveViews()) {
        view->ending_ = true;
        view->cancelRetry();
        webkit_web_view_terminate_web_process(view->view_.get());
    }
}

void GtkWebView::startTimeout(double seconds) {
    cancelTimeout();
    committed_ = false;
    if (seconds > 0) {
        timeout_ = g_timeout_add(static_cast<guint>(std::lround(seconds * 1000)), &GtkWebView::onTimeout, this);
    }
}

void GtkWebView::cancelTimeout() {
    if (timeout_ != 0) {
        g_source_remove(timeout_);
        timeout_ = 0;
    }
}

gboolean GtkWebView::onTimeout(gpointer data) {
    auto* self = static_cast<GtkWebView*>(data);
    self->timeout_ = 0;
    // A server that has not answered within the request's time is given up on,
    // and tried again later like any other failed load.
    if (!self->committed_) {
        self->timedOut_ = true;
        webkit_web_view_stop_loading(self->view_.get());
    }
    return G_SOURCE_REMOVE;
}

void GtkWebView::onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
    auto* self = static_cast<GtkWebView*>(data);
    switch (event) {
    case WEBKIT_LOAD_STARTED:
        self->committed_ = false;
        self->failed_ = false;
        break;
    case WEBKIT_LOAD_COMMITTED:
        self->committed_ = true;
        self->webProcessRunning_ = true;
        self->processHoldsAPage_ = true;
        self->cancelTimeout();
        break;
    case WEBKIT_LOAD_FINISHED:
        self->cancelTimeout();
        if (self->failed_) {
            break;
        }
        self->recovery_.loadSucceeded();
        if (self->configuration_.suppressesIncrementalRendering) {
            gtk_widget_set_no_show_all(self->widget(), FALSE);
            gtk_widget_show(self->widget());
        }
        if (self->delegate_ != nullptr) {
            self->delegate_->webViewDidFinish();
        }
        break;
    default: break;
    }
}

gboolean GtkWebView::onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer data) {
    auto* self = static_cast<GtkWebView*>(data);
    self->failed_ = true;
    self->cancelTimeout();
    WebError failure = webErrorFrom(error, uri);
    const bool refusedStatus =
        self->httpStatus_ != 0 &&
        g_error_matches(error, WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE);
    if (refusedStatus) {
        failure =
            WebError{"HTTP", static_cast<int>(self->httpStatus_),
                     "The server answered with status " + std::to_string(self->httpStatus_) + ".", failure.failingURL};
    }
    // A load that was replaced by another or stopped on request has not failed;
    // one the time limit stopped has, and is told as what it is: the engine only
    // knows that it was stopped.
    const bool stopped = g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED);
    if (stopped && self->timedOut_) {
        failure = timedOutError(self->timeoutSeconds_, failure.failingURL);
    }
    // So has one stopped while the next page waits for its site.
    const bool cancelled = (stopped && !self->timedOut_) || self->siteRequest_ != nullptr;
    const bool otherPolicy = !refusedStatus && error->domain == WEBKIT_POLICY_ERROR;
    // A load the renderer's end broke off is taken up by the reload that end schedules.
    if (!cancelled && !otherPolicy && !self->rendererEndedSinceLoad_ && !self->ending_ && !self->address_.empty()) {
        const auto delay = self->recovery_.loadFailed();
        systemLog("⚠️ The page did not load (" + escapeControlCharacters(failure.localizedDescription) +
                  "); trying again in " + secondsText(delay) + ".");
        self->scheduleRetry(delay);
    }
    if (self->delegate_ != nullptr) {
        if (self->committed_) {
            self->delegate_->webViewDidFail(failure);
        } else {
            self->delegate_->webViewDidFailProvisionalNavigation(failure);
        }
    }
    // No engine error page: the black background shows instead.
    return TRUE;
}

gboolean GtkWebView::onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                    gpointer data) {
    switch (type) {
    case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION: webkit_policy_decision_ignore(decision); return TRUE;
    case WEBKIT_POLICY_DECISION_TYPE_RESPONSE: {
        auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
        // A server's error page is no live view: keep it off the screen and treat
        // the answer as a failed load.
        const guint status =
            webkit_uri_response_get_status_code(webkit_response_policy_decision_get_response(response));
        if (status >= 400 && webkit_response_policy_decision_is_main_frame_main_resource(response)) {
            static_cast<GtkWebView*>(data)->httpStatus_ = status;
            webkit_policy_decision_ignore(decision);
            return TRUE;
        }
        // Anything the engine cannot show would become a download.
        if (!webkit_response_policy_decision_is_mime_type_supported(response)) {
            webkit_policy_decision_ignore(decision);
            return TRUE;
        }
        return FALSE;
    }
    default: return FALSE;
    }
}

gboolean GtkWebView::onPermissionRequest(WebKitWebView*, WebKitPermissionRequest* request, gpointer) {
    webkit_permission_request_deny(request);
    return TRUE;
}

GtkWidget* GtkWebView::onCreate(WebKitWebView*, WebKitNavigationAction*, gpointer) { return nullptr; }

void GtkWebView::evaluateJavaScript(const std::string& script, JavaScriptCompletion completion) {
    auto* pending = new JavaScriptCompletion(std::move(completion));
    webkit_web_view_evaluate_javascript(
        view_.get(), script.c_str(), static_cast<gssize>(script.size()), nullptr, nullptr, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<JavaScriptCompletion> completion(static_cast<JavaScriptCompletion*>(data));
            GError* error = nullptr;
            auto value =
                adoptGObject(webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error));
            GErrorPtr failed(error);
            std::optional<WebError> failure;
            if (failed) {
                failure = webErrorFrom(failed.get(), nullptr);
            }
            if (*completion) {
                (*completion)(failure);
            }
        },
        pending);
}

void GtkWebView::removeFromSuperview() {
    if (GtkWidget* parent = gtk_widget_get_parent(widget())) {
        gtk_container_remove(GTK_CONTAINER(parent), widget());
    }
}

}  // namespace platform::gtk
