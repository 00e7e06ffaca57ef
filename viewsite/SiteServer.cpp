#include "viewsite/SiteServer.h"

#include "platform/ProductNames.h"
#include "platform/gtk/GObjectPtr.h"
#include "viewsite/ResponsePolicy.h"

#include <libsoup/soup.h>
#include <sys/stat.h>
#include <nlohmann/json.hpp>

namespace viewsite {

using platform::gtk::adoptGObject;
using platform::gtk::GCharsPtr;
using platform::gtk::GErrorPtr;

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

// Every answer, errors included, forbids sniffing and carries the page policy.
void setCommonHeaders(SoupServerMessage* message) {
    setHeader(message, "Content-Security-Policy", std::string(contentSecurityPolicy));
    setHeader(message, "X-Content-Type-Options", "nosniff");
    setHeader(message, "Referrer-Policy", "no-referrer");
}

void answerText(SoupServerMessage* message, guint status, const char* text) {
    soup_server_message_set_status(message, status, nullptr);
    setHeader(message, "Cache-Control", "no-store");
    soup_server_message_set_response(message, "text/plain; charset=utf-8", SOUP_MEMORY_COPY, text, strlen(text));
}

}  // namespace

struct SiteServer::Handler {
    static void handle(SoupServer*, SoupServerMessage* message, const char*, GHashTable*, gpointer data) {
        auto* self = static_cast<SiteServer*>(data);
        self->lastRequest_ = std::chrono::steady_clock::now();
        setCommonHeaders(message);
        const char* method = soup_server_message_get_method(message);
        const bool head = std::string_view(method) == "HEAD";
        if (!head && std::string_view(method) != "GET") {
            setHeader(message, "Allow", "GET, HEAD");
            answerText(message, SOUP_STATUS_METHOD_NOT_ALLOWED, "method not allowed\n");
            return;
        }
        GUri* uri = soup_server_message_get_uri(message);
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

SiteServer::SiteServer(SiteFiles files, std::string version)
    : files_(std::move(files)),
      identity_(nlohmann::json{{"service", serviceName}, {"version", std::move(version)}}.dump() + "\n"),
      lastRequest_(std::chrono::steady_clock::now()),
      server_(adoptGObject(soup_server_new("server-header", product::siteProgramName, nullptr))) {
    soup_server_add_handler(server_.get(), nullptr, &Handler::handle, this, nullptr);
}

SiteServer::~SiteServer() { soup_server_disconnect(server_.get()); }

SiteServer::ListenResult SiteServer::listen(const std::string& host, int port, std::string& error) {
    auto address = adoptGObject(g_inet_socket_address_new_from_string(host.c_str(), static_cast<guint>(port)));
    if (!address) {
        error = "not an IP address: " + host;
        return ListenResult::failed;
    }
    GError* rawError = nullptr;
    const bool listening =
        soup_server_listen(server_.get(), address.get(), static_cast<SoupServerListenOptions>(0), &rawError);
    GErrorPtr failure(rawError);
    if (listening) {
        return ListenResult::listening;
    }
    error = failure ? failure->message : "unknown error";
    return failure && g_error_matches(failure.get(), G_IO_ERROR, G_IO_ERROR_ADDRESS_IN_USE) ? ListenResult::addressInUse
                                                                                            : ListenResult::failed;
}

}  // namespace viewsite
