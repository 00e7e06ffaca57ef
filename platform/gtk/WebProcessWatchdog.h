#pragma once

#include "platform/gtk/GObjectPtr.h"

#include <webkit2/webkit2.h>

#include <chrono>
#include <functional>
#include <optional>

namespace platform::gtk {

// Notices a web process that no longer answers: stopped, or its page spinning in an
// endless script. It asks the page a trivial question every few seconds, and WebKit
// says on its own when it finds the process unresponsive (is-web-process-responsive);
// no answer for `limit` (an error is no answer), or an unresponsive state that long,
// calls `unresponsive`.
class WebProcessWatchdog {
public:
    static constexpr std::chrono::seconds limit{30};

    WebProcessWatchdog(WebKitWebView* view, std::function<void()> unresponsive);
    ~WebProcessWatchdog();
    WebProcessWatchdog(const WebProcessWatchdog&) = delete;
    WebProcessWatchdog& operator=(const WebProcessWatchdog&) = delete;

    // The process was ended or replaced: what the old one owed is forgotten.
    void processReplaced();

private:
    using Clock = std::chrono::steady_clock;

    static gboolean onTick(gpointer self);
    static void onAnswer(GObject* view, GAsyncResult* result, gpointer self);
    static void onResponsiveness(GObject* view, GParamSpec*, gpointer self);
    void ask();
    bool silentTooLong(Clock::time_point now) const;

    WebKitWebView* view_;
    std::function<void()> unresponsive_;
    guint tick_ = 0;
    GObjectPtr<GCancellable> question_;
    bool asking_ = false;
    // The first question since the last answer (an error is no answer).
    std::optional<Clock::time_point> unansweredSince_;
    std::optional<Clock::time_point> unresponsiveAt_;  // WebKit's own finding
};

}  // namespace platform::gtk
