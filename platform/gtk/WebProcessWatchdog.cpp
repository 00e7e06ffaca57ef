#include "platform/gtk/WebProcessWatchdog.h"

namespace platform::gtk {

namespace {

constexpr guint tickSeconds = 5;

}  // namespace

WebProcessWatchdog::WebProcessWatchdog(WebKitWebView* view, std::function<void()> unresponsive)
    : view_(view), unresponsive_(std::move(unresponsive)) {
    tick_ = g_timeout_add_seconds(tickSeconds, &WebProcessWatchdog::onTick, this);
    g_signal_connect(view_, "notify::is-web-process-responsive", G_CALLBACK(&WebProcessWatchdog::onResponsiveness),
                     this);
}

WebProcessWatchdog::~WebProcessWatchdog() {
    g_source_remove(tick_);
    g_signal_handlers_disconnect_by_data(view_, this);
    processReplaced();
}

void WebProcessWatchdog::processReplaced() {
    if (question_) {
        g_cancellable_cancel(question_.get());
        question_.reset();
    }
    asking_ = false;
    unansweredSince_.reset();
    unresponsiveAt_.reset();
}

bool WebProcessWatchdog::silentTooLong(Clock::time_point now) const {
    return (unansweredSince_ && now - *unansweredSince_ >= limit) ||
           (unresponsiveAt_ && now - *unresponsiveAt_ >= limit);
}

void WebProcessWatchdog::ask() {
    question_ = adoptGObject(g_cancellable_new());
    asking_ = true;
    if (!unansweredSince_) {
        unansweredSince_ = Clock::now();
    }
    webkit_web_view_evaluate_javascript(view_, "void 0", -1, nullptr, nullptr, question_.get(),
                                        &WebProcessWatchdog::onAnswer, this);
}

gboolean WebProcessWatchdog::onTick(gpointer data) {
    auto* self = static_cast<WebProcessWatchdog*>(data);
    if (self->silentTooLong(Clock::now())) {
        self->processReplaced();
        self->unresponsive_();
    } else if (!self->asking_) {
        self->ask();
    }
    return G_SOURCE_CONTINUE;
}

void WebProcessWatchdog::onAnswer(GObject* view, GAsyncResult* result, gpointer data) {
    GError* rawError = nullptr;
    JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), result, &rawError);
    const GErrorPtr error(rawError);
    // A cancelled question belongs to a watchdog that may be gone: nothing of it is touched.
    if (error && g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
        return;
    }
    auto* self = static_cast<WebProcessWatchdog*>(data);
    self->asking_ = false;
    self->question_.reset();
    if (value != nullptr) {
        g_object_unref(value);
        self->unansweredSince_.reset();
    }
}

void WebProcessWatchdog::onResponsiveness(GObject* view, GParamSpec*, gpointer data) {
    auto* self = static_cast<WebProcessWatchdog*>(data);
    if (webkit_web_view_get_is_web_process_responsive(WEBKIT_WEB_VIEW(view))) {
        self->unresponsiveAt_.reset();
    } else if (!self->unresponsiveAt_) {
        self->unresponsiveAt_ = Clock::now();
    }
}

}  // namespace platform::gtk
