#pragma once

#include "platform/glib/GLibPtr.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// libsoup's own struct tag, declared here so that users of this header need not include libsoup.
typedef struct _SoupSession SoupSession;  // NOLINT(bugprone-reserved-identifier)

namespace viewsite {

struct UpstreamAnswer {
    int status = 0;  // 0 when no usable answer came
    std::string body;
    std::string error;  // why, when status is 0
    // Whether the source answered at all (its status line came), even when the answer
    // was then refused here (too big, sent elsewhere, broken off). A source that never
    // answered may be unreachable from here for a while (offline), which is no refusal.
    bool answered = false;
    std::optional<std::chrono::seconds> retryAfter;
};

using RequestHeaders = std::vector<std::pair<std::string, std::string>>;

// GET requests to the data sources, each bounded: a deadline for the whole answer, a
// size past which the answer is dropped, and redirects followed only on the same host.
class UpstreamFetcher {
public:
    UpstreamFetcher(std::chrono::seconds timeout, std::size_t answerLimitBytes);
    ~UpstreamFetcher();
    UpstreamFetcher(const UpstreamFetcher&) = delete;
    UpstreamFetcher& operator=(const UpstreamFetcher&) = delete;

    void fetch(const std::string& url, const RequestHeaders& headers, std::function<void(UpstreamAnswer)> done);

private:
    struct Request;
    void send(Request* request);
    static void readMore(Request* request);

    std::chrono::seconds timeout_;
    std::size_t limit_;
    platform::glib::GObjectPtr<SoupSession> session_;
};

}  // namespace viewsite
