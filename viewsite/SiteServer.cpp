#include "viewsite/SiteServer.h"

#include "platform/ControlCharacterEscape.h"
#include "platform/Log.h"
#include "platform/ProductNames.h"
#include "platform/glib/GLibPtr.h"
#include "viewsite/RequestAuthority.h"
#include "viewsite/ResponsePolicy.h"

#include <gio/gio.h>
#include <libsoup/soup.h>
#include <sys/stat.h>
#include <nlohmann/json.hpp>

namespace viewsite {

using platform::glib::adoptGObject;
using platform::glib::GCharsPtr;
using platform::glib::GErrorPtr;

namespace {

struct MappedFileUnref {
    void operator()(GMappedFile* file) const { g_mapped_file_unref(file); }
};

std::optional<std::string> requestHeader(SoupServerMessage* message, const char* name) {
    const char* value = soup_message_headers_get_one(soup_server_message_get_request_headers(message), name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

void setHeader(SoupServerMessage* message, const char* name, const std::string& value) {
    soup_message_headers_replace(soup_server_message_get_response_headers(message), name, value.c_str());
}

// Every answer, errors included, forbids sniffing and carries the page policy, and
// ends its connection: libsoup (3.2) closes a connection it was handed once the answer
// is sent, so saying so keeps a client from sending a second request into a closing
// connection; and no connection is ever left for a client to abandon half-open.
void setCommonHeaders(SoupServerMessage* message) {
    setHeader(message, "Connection", "close");
    setHeader(message, "Content-Security-Policy", std::string(contentSecurityPolicy));
    setHeader(message, "X-Content-Type-Options", "nosniff");
    setHeader(message, "Referrer-Policy", "no-referrer");
}

void answerText(SoupServerMessage* message, guint status, const char* text) {
    soup_server_message_set_status(message, status, nullptr);
    setHeader(message, "Cache-Control", "no-store");
    soup_server_message_set_response(message, "text/plain; charset=utf-8", SOUP_MEMORY_COPY, text, strlen(text));
}

// An answer after which the connection ends: nothing more is read from a client that
// asked for what the site never does.
void refuse(SoupServerMessage* message, guint status, const char* text) {
    setHeader(message, "Connection", "close");
    answerText(message, status, text);
}

}  // namespace

struct SiteServer::Handler {
    static void handle(SoupServer*, SoupServerMessage* message, const char*, GHashTable*, gpointer data) {
        auto* self = static_cast<SiteServer*>(data);
        self->lastRequest_ = std::chrono::steady_clock::now();
        setCommonHeaders(message);
        // libsoup answers a Range header by itself, a part per range asked: anything
        // but one range is dropped here, and the whole file is the answer.
        if (const auto range = requestHeader(message, "Range"); range && !isSingleByteRange(*range)) {
            soup_message_headers_remove(soup_server_message_get_request_headers(message), "Range");
        }
        const char* method = soup_server_message_get_method(message);
        const bool head = std::string_view(method) == "HEAD";
        if (!head && std::string_view(method) != "GET") {
            // CONNECT included: the site is no proxy, and the client hears so at once.
            setHeader(message, "Allow", "GET, HEAD");
            refuse(message, SOUP_STATUS_METHOD_NOT_ALLOWED, "method not allowed\n");
            return;
        }
        GUri* uri = soup_server_message_get_uri(message);
        const char* targetHost = g_uri_get_host(uri);
        if (targetHost == nullptr ||
            !namesThisSite(targetHost, g_uri_get_port(uri), requestHeader(message, "Host").value_or(""), self->own_)) {
            refuse(message, SOUP_STATUS_BAD_REQUEST, "not this site\n");
            return;
        }
        // The raw path of the request line: percent escapes are undone here, once, and
        // a path that hides a NUL byte does not decode at all.
        const GCharsPtr decoded(g_uri_unescape_string(g_uri_get_path(uri), nullptr));
        if (!decoded) {
            answerText(message, SOUP_STATUS_BAD_REQUEST, "bad request\n");
            return;
        }
        const std::string path(decoded.get());
        if (path == identityPath) {
            soup_server_message_set_status(message, SOUP_STATUS_OK, nullptr);
            setHeader(message, "Cache-Control", "no-store");
            soup_server_message_set_response(message, "application/json", SOUP_MEMORY_COPY, self->identity_.data(),
                                             self->identity_.size());
            return;
        }
        const auto file = self->files_.resolve(path);
        struct stat facts {};
        if (!file || ::stat(file->c_str(), &facts) != 0) {
            answerText(message, SOUP_STATUS_NOT_FOUND, "not found\n");
            return;
        }
        const std::string etag =
            entityTag({static_cast<std::uint64_t>(facts.st_size),
                       static_cast<std::int64_t>(facts.st_mtim.tv_sec) * 1000000000 + facts.st_mtim.tv_nsec});
        const std::string requestPath = path.back() == '/' ? path + "index.html" : path;
        setHeader(message, "ETag", etag);
        setHeader(message, "Last-Modified", httpDate(facts.st_mtim.tv_sec));
        const char* query = g_uri_get_query(uri);
        setHeader(message, "Cache-Control", cacheControlFor(requestPath, query != nullptr ? query : ""));
        if (notModified(requestHeader(message, "If-None-Match"), requestHeader(message, "If-Modified-Since"), etag,
                        facts.st_mtim.tv_sec)) {
            soup_server_message_set_status(message, SOUP_STATUS_NOT_MODIFIED, nullptr);
            return;
        }
        // Mapped, not read: a large file costs no copy, and a data file replaced while
        // it is sent keeps its old content for this answer.
        GError* rawError = nullptr;
        std::unique_ptr<GMappedFile, MappedFileUnref> mapped(g_mapped_file_new(file->c_str(), FALSE, &rawError));
        GErrorPtr error(rawError);
        if (!mapped) {
            answerText(message, SOUP_STATUS_NOT_FOUND, "not found\n");
            return;
        }
        soup_server_message_set_status(message, SOUP_STATUS_OK, nullptr);
        setHeader(message, "Content-Type", contentTypeFor(requestPath));
        GBytes* bytes = g_mapped_file_get_bytes(mapped.get());
        soup_message_body_append_bytes(soup_server_message_get_response_body(message), bytes);
        g_bytes_unref(bytes);
    }
};

struct SiteServer::Connection {
    SiteServer* owner = nullptr;
    // Not owned: libsoup holds the connection for as long as it serves it, and a weak
    // reference says when it lets go, whoever closed it.
    GSocketConnection* stream = nullptr;
    GSocket* socket = nullptr;
    std::string peer;  // address and port: what libsoup's messages tell of their connection
    std::string client;
    guint deadline = 0;

    void disarm() {
        if (deadline != 0) {
            g_source_remove(deadline);
            deadline = 0;
        }
    }

    // By then the request must have arrived, or later its answer have been taken, or
    // the connection is closed.
    void arm(std::chrono::milliseconds after) {
        disarm();
        deadline = g_timeout_add(static_cast<guint>(after.count()), &Connection::expire, this);
    }

    // Shut down, not closed: libsoup, which waits on the socket, sees the end and lets
    // the connection go through its own path, and the weak reference then forgets it.
    static gboolean expire(gpointer data) {
        auto* self = static_cast<Connection*>(data);
        self->deadline = 0;
        g_socket_shutdown(self->socket, TRUE, TRUE, nullptr);
        return G_SOURCE_REMOVE;
    }

    static void gone(gpointer data, GObject*) {
        auto* self = static_cast<Connection*>(data);
        self->owner->forget(self->peer);
    }
};

struct SiteServer::Signals {
    static gboolean incoming(GSocketService*, GSocketConnection* connection, GObject*, gpointer data) {
        static_cast<SiteServer*>(data)->admit(connection);
        return TRUE;
    }
    static void requestRead(SoupServer*, SoupServerMessage* message, gpointer data) {
        auto* self = static_cast<SiteServer*>(data);
        if (Connection* connection = self->connectionOf(message)) {
            connection->arm(self->ledger_.limits().answerTimeout);
        }
    }
};

namespace {

constexpr int listenBacklog = 1024;

std::string hostText(GSocketAddress* address) {
    if (address == nullptr || !G_IS_INET_SOCKET_ADDRESS(address)) {
        return "?";
    }
    const GCharsPtr text(g_inet_address_to_string(g_inet_socket_address_get_address(G_INET_SOCKET_ADDRESS(address))));
    return text ? text.get() : "?";
}

// A client's address and port name one of its connections while it is open.
std::string peerText(GSocketAddress* address) {
    if (address == nullptr || !G_IS_INET_SOCKET_ADDRESS(address)) {
        return {};
    }
    return hostText(address) + " " + std::to_string(g_inet_socket_address_get_port(G_INET_SOCKET_ADDRESS(address)));
}

}  // namespace

SiteServer::SiteServer(SiteFiles files, std::string version, ConnectionLimits limits)
    : files_(std::move(files)),
      identity_(nlohmann::json{{"service", serviceName}, {"version", std::move(version)}}.dump() + "\n"),
      lastRequest_(std::chrono::steady_clock::now()),
      ledger_(limits),
      server_(adoptGObject(soup_server_new("server-header", product::siteProgramName, nullptr))),
      service_(adoptGObject(g_socket_service_new())) {
    soup_server_add_handler(server_.get(), nullptr, &Handler::handle, this, nullptr);
    g_signal_connect(server_.get(), "request-read", G_CALLBACK(&Signals::requestRead), this);
    g_signal_connect(service_.get(), "incoming", G_CALLBACK(&Signals::incoming), this);
    // GLib's default queue of ten makes a burst of clients wait seconds for a retried
    // handshake; the limits above, not the queue, say who gets in.
    g_socket_listener_set_backlog(G_SOCKET_LISTENER(service_.get()), listenBacklog);
}

SiteServer::~SiteServer() {
    g_signal_handlers_disconnect_by_data(service_.get(), this);
    g_socket_service_stop(service_.get());
    g_socket_listener_close(G_SOCKET_LISTENER(service_.get()));
    g_signal_handlers_disconnect_by_data(server_.get(), this);
    for (auto& [socket, connection] : connections_) {
        connection->disarm();
        g_object_weak_unref(G_OBJECT(connection->stream), &Connection::gone, connection.get());
    }
    connections_.clear();
    soup_server_disconnect(server_.get());
}

void SiteServer::admit(GSocketConnection* stream) {
    const auto remoteAddress = adoptGObject(g_socket_connection_get_remote_address(stream, nullptr));
    const std::string client = hostText(remoteAddress.get());
    const auto admission = ledger_.admit(client);
    if (admission != ConnectionLedger::Admission::admitted) {
        reportRefusal(admission, client);
        g_io_stream_close(G_IO_STREAM(stream), nullptr, nullptr);
        return;
    }
    // A client port used again before libsoup let go of the connection it named last:
    // that one is no longer watched (it ends by itself), the new one is.
    const std::string peer = peerText(remoteAddress.get());
    if (const auto earlier = connections_.find(peer); earlier != connections_.end()) {
        Connection& old = *earlier->second;
        old.disarm();
        g_object_weak_unref(G_OBJECT(old.stream), &Connection::gone, &old);
        ledger_.release(old.client);
        connections_.erase(earlier);
    }
    auto connection = std::make_unique<Connection>();
    connection->owner = this;
    connection->stream = stream;
    connection->socket = g_socket_connection_get_socket(stream);
    connection->client = client;
    connection->peer = peer;
    g_object_weak_ref(G_OBJECT(stream), &Connection::gone, connection.get());
    connection->arm(ledger_.limits().headerTimeout);
    Connection& kept = *connection;
    connections_[kept.peer] = std::move(connection);

    auto local = adoptGObject(g_socket_connection_get_local_address(stream, nullptr));
    GError* rawError = nullptr;
    if (!soup_server_accept_iostream(server_.get(), G_IO_STREAM(stream), local.get(), remoteAddress.get(), &rawError)) {
        GErrorPtr error(rawError);
        g_io_stream_close(G_IO_STREAM(stream), nullptr, nullptr);
    }
}

void SiteServer::forget(const std::string& peer) {
    const auto entry = connections_.find(peer);
    if (entry == connections_.end()) {
        return;
    }
    entry->second->disarm();
    ledger_.release(entry->second->client);
    connections_.erase(entry);
}

SiteServer::Connection* SiteServer::connectionOf(SoupServerMessage* message) {
    const auto entry = connections_.find(peerText(soup_server_message_get_remote_address(message)));
    return entry == connections_.end() ? nullptr : entry->second.get();
}

// One line, at most once a minute: a flood must not become a flood of log lines.
void SiteServer::reportRefusal(ConnectionLedger::Admission why, const std::string& client) {
    const auto now = std::chrono::steady_clock::now();
    if (lastRefusalLine_ != std::chrono::steady_clock::time_point{} &&
        now - lastRefusalLine_ < std::chrono::minutes(1)) {
        return;
    }
    lastRefusalLine_ = now;
    const ConnectionLimits& limits = ledger_.limits();
    platform::systemLog(why == ConnectionLedger::Admission::overTotal
                            ? "⚠️ View site: " + std::to_string(limits.total) +
                                  " connections open, the most it keeps; refusing more until some close"
                            : "⚠️ View site: " + escapeControlCharacters(client) + " holds " +
                                  std::to_string(limits.perClient) +
                                  " connections, the most one client may; refusing more from it");
}

SiteServer::ListenResult SiteServer::listen(const std::string& host, int port, std::string& error) {
    auto address = adoptGObject(g_inet_socket_address_new_from_string(host.c_str(), static_cast<guint>(port)));
    if (!address) {
        error = "not an IP address: " + host;
        return ListenResult::failed;
    }
    GError* rawError = nullptr;
    GSocketAddress* rawBound = nullptr;
    const bool listening =
        g_socket_listener_add_address(G_SOCKET_LISTENER(service_.get()), address.get(), G_SOCKET_TYPE_STREAM,
                                      G_SOCKET_PROTOCOL_TCP, nullptr, &rawBound, &rawError);
    GErrorPtr failure(rawError);
    const auto bound = adoptGObject(rawBound);
    if (listening) {
        const bool known = bound && G_IS_INET_SOCKET_ADDRESS(bound.get());
        own_ = ListenAddress{host, known ? g_inet_socket_address_get_port(G_INET_SOCKET_ADDRESS(bound.get())) : port};
        g_socket_service_start(service_.get());
        return ListenResult::listening;
    }
    error = failure ? failure->message : "unknown error";
    return failure && g_error_matches(failure.get(), G_IO_ERROR, G_IO_ERROR_ADDRESS_IN_USE) ? ListenResult::addressInUse
                                                                                            : ListenResult::failed;
}

}  // namespace viewsite
