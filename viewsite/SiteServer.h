#pragma once

#include "platform/glib/GLibPtr.h"
#include "viewsite/ConnectionLedger.h"
#include "viewsite/RequestAuthority.h"
#include "viewsite/SiteFiles.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

// libsoup's and GIO's own struct tags, declared here so that users of this header need
// not include those libraries.
// NOLINTBEGIN(bugprone-reserved-identifier)
typedef struct _SoupServer SoupServer;
typedef struct _SoupServerMessage SoupServerMessage;
typedef struct _GSocketService GSocketService;
typedef struct _GSocketConnection GSocketConnection;
typedef struct _GSocket GSocket;
// NOLINTEND(bugprone-reserved-identifier)

namespace viewsite {

// The view site's HTTP server on libsoup: GET and HEAD of the site's files, with
// validators, caching lifetimes and security headers, and the identity answer.
// It accepts connections itself, so that it can hold them to the limits (how many,
// from whom, how long without a request) and close each one the client has left.
class SiteServer {
public:
    SiteServer(SiteFiles files, std::string version, ConnectionLimits limits = {});
    ~SiteServer();
    SiteServer(const SiteServer&) = delete;
    SiteServer& operator=(const SiteServer&) = delete;

    enum class ListenResult { listening, addressInUse, failed };
    // On failure `error` says why.
    // Port 0 lets the kernel choose; boundPort() then says which it chose.
    ListenResult listen(const std::string& host, int port, std::string& error);
    int boundPort() const { return own_.port; }

    std::chrono::steady_clock::time_point lastRequest() const { return lastRequest_; }

private:
    struct Handler;
    struct Connection;
    struct Signals;

    void admit(GSocketConnection* connection);
    void forget(const std::string& peer);
    void reportRefusal(ConnectionLedger::Admission why, const std::string& client);
    Connection* connectionOf(SoupServerMessage* message);

    SiteFiles files_;
    std::string identity_;
    std::chrono::steady_clock::time_point lastRequest_;
    ListenAddress own_;
    ConnectionLedger ledger_;
    std::map<std::string, std::unique_ptr<Connection>> connections_;  // by peer
    std::chrono::steady_clock::time_point lastRefusalLine_{};
    platform::glib::GObjectPtr<SoupServer> server_;
    platform::glib::GObjectPtr<GSocketService> service_;
};

}  // namespace viewsite
