#pragma once

#include "platform/linux/LoopbackPortOwner.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// What one look for this account's view site saw.
struct ViewSiteSighting {
    // The port this account's own site answers on, if it answers anywhere.
    std::optional<int> ownSite;
    // Who holds the preferred port, when the site answers elsewhere.
    PortOwner preferredHolder;
};

// What starting the site did.
struct ViewSiteStart {
    bool started = false;
    // A port this account's silent site held, ended to make room for the new one.
    std::optional<int> replacedSilentSiteAt;
};

// Decides how a page of the built-in view site (a loopback origin, http://127.0.0.1:PORT)
// reaches this account's own site: look for it, start it when it does not answer, wait
// for a site that was started moments ago rather than start a second one, and give up
// (once said) when it never answers. It holds no sockets, processes or timers: the
// launcher looks, starts and waits as told, off the main loop, and reports back.
class ViewSiteDiscovery {
public:
    using Clock = std::chrono::steady_clock;
    // How long a started site has to answer.
    static constexpr std::chrono::seconds startTimeout{5};
    // How long to wait between looks for a site that is starting.
    static constexpr std::chrono::milliseconds lookInterval{40};

    enum class Step { look, start, lookAgainLater, found, notFound };

    explicit ViewSiteDiscovery(std::string origin, std::filesystem::path siteProgram);

    // A search begins: the first thing to do.
    Step search();
    // What the look saw.
    Step looked(const ViewSiteSighting& sighting, Clock::time_point now);
    // What the start did.
    Step startAttempted(const ViewSiteStart& start, Clock::time_point now);

    const std::string& origin() const { return origin_; }
    int preferredPort() const { return preferredPort_; }
    // Where the site was last found serving; empty when it was not.
    const std::string& servingOrigin() const { return servingOrigin_; }
    // The address to load `url` from: on this account's site for a page of the built-in
    // origin, and where nothing answers when the site was not found (the load fails and
    // is tried again with the usual backoff: the configured address, which may be
    // anyone's, is never loaded unchecked). Other addresses come back unchanged.
    std::string addressFor(const std::string& url) const;
    bool isBuiltInPage(const std::string& url) const;

private:
    void reportHolderOnce(const PortOwner& holder);

    std::string origin_;
    std::filesystem::path siteProgram_;
    int preferredPort_;
    std::string servingOrigin_;
    std::optional<Clock::time_point> lastStart_;
    bool startUnconfirmed_ = false;
    bool startedInThisSearch_ = false;
    bool reportedHolder_ = false;
    bool reportedStartFailure_ = false;
    bool reportedSilence_ = false;
};

// The port of a loopback http origin, or 0 for any other origin.
int loopbackPort(const std::string& origin);

// `url` with the origin `from` replaced by `to`, when it starts with it (a whole origin:
// the next character, if any, is '/', '?' or '#').
std::string withOrigin(const std::string& url, const std::string& from, const std::string& to);

}  // namespace platform
