#include "platform/gtk/GtkReopenServer.h"

#include <glib-unix.h>

namespace platform::gtk {

GtkReopenServer::GtkReopenServer(ReopenListener& listener, std::function<void()> onReopen)
    : listener_(listener), onReopen_(std::move(onReopen)) {
    if (listener_.listening()) {
        listenSource_ = g_unix_fd_add(listener_.fd(), G_IO_IN, &GtkReopenServer::onConnection, this);
    }
}

GtkReopenServer::~GtkReopenServer() {
    if (listenSource_ != 0) {
        g_source_remove(listenSource_);
    }
    while (!pending_.empty()) {
        drop(&pending_.front());
    }
}

gboolean GtkReopenServer::onConnection(gint, GIOCondition, gpointer data) {
    auto* self = static_cast<GtkReopenServer*>(data);
    while (auto client = self->listener_.acceptClient()) {
        // A flood of connections costs a bounded number of descriptors: the oldest waits least.
        if (self->pending_.size() >= maximumPendingClients) {
            self->drop(&self->pending_.front());
        }
        auto& pending = self->pending_.emplace_back(Pending{self, std::move(client)});
        pending.readSource =
            g_unix_fd_add(pending.client->fd(), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR),
                          &GtkReopenServer::onClientReadable, &pending);
        pending.timeLimit = g_timeout_add(clientTimeLimitMs, &GtkReopenServer::onClientTimeLimit, &pending);
    }
    return G_SOURCE_CONTINUE;
}

gboolean GtkReopenServer::onClientReadable(gint, GIOCondition, gpointer data) {
    auto* pending = static_cast<Pending*>(data);
    GtkReopenServer* self = pending->server;
    const auto state = pending->client->read();
    if (state == ReopenClient::State::waiting) {
        return G_SOURCE_CONTINUE;
    }
    pending->readSource = 0;
    self->drop(pending);
    if (state == ReopenClient::State::reopen && self->onReopen_) {
        self->onReopen_();
    }
    return G_SOURCE_REMOVE;
}

gboolean GtkReopenServer::onClientTimeLimit(gpointer data) {
    auto* pending = static_cast<Pending*>(data);
    pending->timeLimit = 0;
    pending->server->drop(pending);
    return G_SOURCE_REMOVE;
}

void GtkReopenServer::drop(Pending* pending) {
    if (pending->readSource != 0) {
        g_source_remove(pending->readSource);
    }
    if (pending->timeLimit != 0) {
        g_source_remove(pending->timeLimit);
    }
    pending_.remove_if([pending](const Pending& entry) { return &entry == pending; });
}

}  // namespace platform::gtk
