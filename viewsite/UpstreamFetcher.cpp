#include "viewsite/UpstreamFetcher.h"

#include "viewsite/ResponsePolicy.h"

#include <libsoup/soup.h>

#include <charconv>
#include <ctime>

namespace viewsite {

using platform::glib::adoptGObject;
using platform::glib::GErrorPtr;
using platform::glib::GObjectPtr;

namespace {

constexpr int mostRedirects = 3;
constexpr gsize chunkBytes = gsize{64} * 1024;

std::optional<std::chrono::seconds> retryAfterOf(SoupMessage* message) {
    const char* value = soup_message_headers_get_one(soup_message_get_response_headers(message), "Retry-After");
    if (value == nullptr) {
        return std::nullopt;
    }
    const std::string_view text(value);
    long seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error == std::errc() && end == text.data() + text.size() && seconds >= 0) {
        return std::chrono::seconds(seconds);
    }
    if (const auto when = parseHttpDate(text)) {
        return std::chrono::seconds(std::max<long>(0, static_cast<long>(*when - std::time(nullptr))));
    }
    return std::nullopt;
}

bool sameOrigin(GUri* a, GUri* b) {
    const char* hostA = g_uri_get_host(a);
    const char* hostB = g_uri_get_host(b);
    return hostA != nullptr && hostB != nullptr && g_ascii_strcasecmp(hostA, hostB) == 0 &&
           g_ascii_strcasecmp(g_uri_get_scheme(a), g_uri_get_scheme(b)) == 0 && g_uri_get_port(a) == g_uri_get_port(b);
}

}  // namespace

struct UpstreamFetcher::Request {
    UpstreamFetcher* owner = nullptr;
    RequestHeaders headers;
    std::function<void(UpstreamAnswer)> done;
    GObjectPtr<SoupMessage> message;
    GObjectPtr<GCancellable> cancellable;
    GObjectPtr<GInputStream> stream;
    guint deadline = 0;
    int redirects = 0;
    bool tooBig = false;
    UpstreamAnswer answer;

    void finish() {
        if (deadline != 0) {
            g_source_remove(deadline);
            deadline = 0;
        }
        auto callback = std::move(done);
        UpstreamAnswer result = std::move(answer);
        delete this;
        callback(std::move(result));
    }
    void fail(std::string why) {
        const bool reached = answer.answered;
        answer = {};
        answer.error = std::move(why);
        answer.answered = reached;
        finish();
    }
};

UpstreamFetcher::UpstreamFetcher(std::chrono::seconds timeout, std::size_t answerLimitBytes)
    : timeout_(timeout),
      limit_(answerLimitBytes),
      session_(adoptGObject(soup_session_new_with_options("timeout", static_cast<guint>(timeout.count()), "user-agent",
                                                          (std::string(serviceName) + "/1").c_str(),
                                                          "max-conns-per-host", 2, nullptr))) {}

UpstreamFetcher::~UpstreamFetcher() { soup_session_abort(session_.get()); }

void UpstreamFetcher::fetch(const std::string& url, const RequestHeaders& headers,
                            std::function<void(UpstreamAnswer)> done) {
    auto* request = new Request;
    request->owner = this;
    request->headers = headers;
    request->done = std::move(done);
    request->message = adoptGObject(soup_message_new("GET", url.c_str()));
    if (!request->message) {
        // The address is not logged: it may carry the user's key.
        request->fail("not a valid address");
        return;
    }
    request->cancellable = adoptGObject(g_cancellable_new());
    // The session's timeout covers a silent upstream; this covers one that trickles.
    request->deadline = g_timeout_add_seconds(
        static_cast<guint>(std::max<long>(1, timeout_.count())),
        [](gpointer data) -> gboolean {
            auto* pending = static_cast<Request*>(data);
            pending->deadline = 0;
            g_cancellable_cancel(pending->cancellable.get());
            return G_SOURCE_REMOVE;
        },
        request);
    send(request);
}

void UpstreamFetcher::send(Request* request) {
    SoupMessage* message = request->message.get();
    // Redirects are looked at here, not followed blindly.
    soup_message_add_flags(message, SOUP_MESSAGE_NO_REDIRECT);
    SoupMessageHeaders* headers = soup_message_get_request_headers(message);
    for (const auto& [name, value] : request->headers) {
        soup_message_headers_replace(headers, name.c_str(), value.c_str());
    }
    soup_session_send_async(
        session_.get(), message, G_PRIORITY_DEFAULT, request->cancellable.get(),
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* pending = static_cast<Request*>(data);
            GError* rawError = nullptr;
            GInputStream* stream = soup_session_send_finish(SOUP_SESSION(source), result, &rawError);
            GErrorPtr error(rawError);
            if (stream == nullptr) {
                pending->fail(g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)
                                  ? std::string("no complete answer in time")
                                  : std::string(error ? error->message : "no answer"));
                return;
            }
            pending->stream = adoptGObject(stream);
            SoupMessage* message = pending->message.get();
            const int status = static_cast<int>(soup_message_get_status(message));
            pending->answer.answered = true;
            if (SOUP_STATUS_IS_REDIRECTION(status)) {
                const char* location =
                    soup_message_headers_get_one(soup_message_get_response_headers(message), "Location");
                GUri* from = soup_message_get_uri(message);
                GUri* to =
                    location != nullptr
                        ? g_uri_parse_relative(from, location, static_cast<GUriFlags>(SOUP_HTTP_URI_FLAGS), nullptr)
                        : nullptr;
                const bool follow = to != nullptr && sameOrigin(from, to) && pending->redirects < mostRedirects;
                if (!follow) {
                    if (to != nullptr) {
                        g_uri_unref(to);
                    }
                    pending->fail("sent elsewhere (HTTP status " + std::to_string(status) + ")");
                    return;
                }
                ++pending->redirects;
                pending->message = adoptGObject(soup_message_new_from_uri("GET", to));
                g_uri_unref(to);
                pending->stream.reset();
                pending->owner->send(pending);
                return;
            }
            const goffset declared =
                soup_message_headers_get_content_length(soup_message_get_response_headers(message));
            if (declared > 0 && static_cast<std::size_t>(declared) > pending->owner->limit_) {
                pending->fail("an answer too big (" + std::to_string(declared) + " bytes)");
                return;
            }
            pending->answer.status = status;
            pending->answer.retryAfter = retryAfterOf(message);
            readMore(pending);
        },
        request);
}

void UpstreamFetcher::readMore(Request* request) {
    g_input_stream_read_bytes_async(
        request->stream.get(), chunkBytes, G_PRIORITY_DEFAULT, request->cancellable.get(),
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* pending = static_cast<Request*>(data);
            GError* rawError = nullptr;
            GBytes* bytes = g_input_stream_read_bytes_finish(G_INPUT_STREAM(source), result, &rawError);
            GErrorPtr error(rawError);
            if (bytes == nullptr) {
                pending->fail(g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)
                                  ? std::string("no complete answer in time")
                                  : std::string(error ? error->message : "the answer broke off"));
                return;
            }
            gsize size = 0;
            const auto* chunk = static_cast<const char*>(g_bytes_get_data(bytes, &size));
            if (size == 0) {
                g_bytes_unref(bytes);
                pending->finish();
                return;
            }
            if (pending->answer.body.size() + size > pending->owner->limit_) {
                g_bytes_unref(bytes);
                pending->fail("an answer too big (over " + std::to_string(pending->owner->limit_) + " bytes)");
                return;
            }
            pending->answer.body.append(chunk, size);
            g_bytes_unref(bytes);
            readMore(pending);
        },
        request);
}

}  // namespace viewsite
