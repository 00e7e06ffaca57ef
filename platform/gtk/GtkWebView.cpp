#include "platform/gtk/GtkWebView.h"

#include "platform/gtk/LocalPageScheme.h"
#include "platform/gtk/WebEngineTuning.h"

#include <cmath>

namespace platform::gtk {

namespace {

void cancelDownload(WebKitWebContext*, WebKitDownload* download, gpointer) { webkit_download_cancel(download); }

WebKitWebContext* persistentContext() {
    static WebKitWebContext* context = [] {
        WebKitWebContext* shared = WebEngineTuning::newContext(false);
        LocalPageScheme::registerIn(shared);
        g_signal_connect(shared, "download-started", G_CALLBACK(cancelDownload), nullptr);
        return shared;
    }();
    return context;
}

WebError webErrorFrom(const GError* error, const char* uri) {
    return WebError{g_quark_to_string(error->domain), error->code, error->message ? error->message : "",
                    uri ? uri : ""};
}

gboolean swallow(WebKitWebView*, gpointer) { return TRUE; }

}  // namespace

WebKitWebContext* GtkWebView::contextFor(const WebViewConfiguration& configuration) {
    if (!configuration.nonPersistentDataStore) {
        return GObjectPtr<WebKitWebContext>(static_cast<WebKitWebContext*>(g_object_ref(persistentContext()))).release();
    }
    WebKitWebContext* ephemeral = WebEngineTuning::newContext(true);
    LocalPageScheme::registerIn(ephemeral);
    g_signal_connect(ephemeral, "download-started", G_CALLBACK(cancelDownload), nullptr);
    return ephemeral;
}

GtkWebView::GtkWebView(const Rect& frame, const WebViewConfiguration& configuration)
    : context_(adoptGObject(contextFor(configuration))),
      view_(retainFloating(WEBKIT_WEB_VIEW(webkit_web_view_new_with_context(context_.get())))),
      frame_(frame),
      configuration_(configuration) {
    gtk_widget_set_size_request(widget(), static_cast<int>(std::lround(frame.width)),
                                static_cast<int>(std::lround(frame.height)));
    WebKitSettings* settings = webkit_web_view_get_settings(view_.get());
    webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
    webkit_settings_set_enable_developer_extras(settings, FALSE);
    WebEngineTuning::applyTo(settings);
    connectSignals();
    if (configuration.suppressesIncrementalRendering) {
        // Shown once the first page has finished loading.
        gtk_widget_set_no_show_all(widget(), TRUE);
    } else {
        gtk_widget_show(widget());
    }
}

GtkWebView::~GtkWebView() {
    cancelTimeout();
    g_signal_handlers_disconnect_by_data(view_.get(), this);
    removeFromSuperview();
}

void GtkWebView::connectSignals() {
    g_signal_connect(view_.get(), "load-changed", G_CALLBACK(&GtkWebView::onLoadChanged), this);
    g_signal_connect(view_.get(), "load-failed", G_CALLBACK(&GtkWebView::onLoadFailed), this);
    g_signal_connect(view_.get(), "decide-policy", G_CALLBACK(&GtkWebView::onDecidePolicy), this);
    g_signal_connect(view_.get(), "permission-request", G_CALLBACK(&GtkWebView::onPermissionRequest), this);
    g_signal_connect(view_.get(), "create", G_CALLBACK(&GtkWebView::onCreate), this);
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
    webkit_web_view_load_uri(view_.get(), request.url.c_str());
    startTimeout(request.timeoutInterval);
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
    cancelTimeout();
    webkit_web_view_load_uri(view_.get(), address->c_str());
}

void GtkWebView::stopLoading() {
    cancelTimeout();
    webkit_web_view_stop_loading(view_.get());
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
    // A server that has not answered within the request's time is given up on.
    if (!self->committed_) {
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
        self->cancelTimeout();
        break;
    case WEBKIT_LOAD_FINISHED:
        self->cancelTimeout();
        if (self->configuration_.suppressesIncrementalRendering) {
            gtk_widget_set_no_show_all(self->widget(), FALSE);
            gtk_widget_show(self->widget());
        }
        if (!self->failed_ && self->delegate_ != nullptr) {
            self->delegate_->webViewDidFinish();
        }
        break;
    default:
        break;
    }
}

gboolean GtkWebView::onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer data) {
    auto* self = static_cast<GtkWebView*>(data);
    self->failed_ = true;
    self->cancelTimeout();
    if (self->delegate_ != nullptr) {
        const WebError failure = webErrorFrom(error, uri);
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
                                    gpointer) {
    switch (type) {
    case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION:
        webkit_policy_decision_ignore(decision);
        return TRUE;
    case WEBKIT_POLICY_DECISION_TYPE_RESPONSE: {
        auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
        // Anything the engine cannot show would become a download.
        if (!webkit_response_policy_decision_is_mime_type_supported(response)) {
            webkit_policy_decision_ignore(decision);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
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
            auto value = adoptGObject(webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error));
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
