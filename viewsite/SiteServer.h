#pragma once

#include "platform/gtk/GObjectPtr.h"
#include "viewsite/SiteFiles.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

// libsoup's own struct tag, declared here so that users of this header need not include libsoup.
typedef struct _SoupServer SoupServer;  // NOLINT(bugprone-reserved-identifier)

namespace viewsite {

// The view site's HTTP server on libsoup: GET and HEAD of the site's files, with
// validators, caching lifetimes and security headers, and the identity answer.
class SiteServer {
public:
    SiteServer(SiteFiles files, std::string version);
    ~SiteServer();
    SiteServer(const SiteServer&) = delete;
    SiteServer& operator=(const SiteServer&) = delete;

    enum class ListenResult { listening, addressInUse, failed };
    // On failure `error` says why.
    ListenResult listen(const std::string& host, int port, std::string& error);

    std::chrono::steady_clock::time_point lastRequest() const { return lastRequest_; }

private:
    struct Handler;
    SiteFiles files_;
    std::string identity_;
    std::chrono::steady_clock::time_point lastRequest_;
    platform::gtk::GObjectPtr<SoupServer> server_;
};

}  // namespace viewsite
