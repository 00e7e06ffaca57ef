#pragma once

#include "platform/linux/ReopenChannel.h"

#include <glib.h>

#include <functional>
#include <list>
#include <memory>

namespace platform::gtk {

// Hears second launches on the main loop without ever waiting for one: each
// connection is read as its bytes arrive and dropped after a short time limit,
// so silent clients cannot hold up the wallpaper or the settings window.
class GtkReopenServer {
public:
    static constexpr guint clientTimeLimitMs = 1000;
    static constexpr size_t maximumPendingClients = 16;

    GtkReopenServer(ReopenListener& listener, std::function<void()> onReopen);
    ~GtkReopenServer();
    GtkReopenServer(const GtkReopenServer&) = delete;
    GtkReopenServer& operator=(const GtkReopenServer&) = delete;

private:
    struct Pending {
        GtkReopenServer* server;
        std::unique_ptr<ReopenClient> client;
        guint readSource = 0;
        guint timeLimit = 0;
    };

    static gboolean onConnection(gint, GIOCondition, gpointer self);
    static gboolean onClientReadable(gint, GIOCondition, gpointer pending);
    static gboolean onClientTimeLimit(gpointer pending);
    void drop(Pending* pending);

    ReopenListener& listener_;
    std::function<void()> onReopen_;
    guint listenSource_ = 0;
    std::list<Pending> pending_;
};

}  // namespace platform::gtk
