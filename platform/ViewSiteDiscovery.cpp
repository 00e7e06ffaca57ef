#include "platform/ViewSiteDiscovery.h"

#include "platform/ControlCharacterEscape.h"
#include "platform/Log.h"

#include <boost/url/parse.hpp>
#include <charconv>
#include <utility>

namespace platform {

namespace {

std::string originAt(int port) { return "http://127.0.0.1:" + std::to_string(port); }

// Without this account's site a page is sent where nothing answers.
constexpr const char* nowhere = "http://127.0.0.1:0";

}  // namespace

int loopbackPort(const std::string& origin) {
    const auto url = boost::urls::parse_absolute_uri(origin);
    if (!url || url->scheme() != "http" || url->encoded_host() != "127.0.0.1" || !url->has_port() ||
        !url->encoded_path().empty()) {
        return 0;
    }
    int port = 0;
    const auto text = url->port();
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    return error == std::errc() && end == text.data() + text.size() && port > 0 && port < 65536 ? port : 0;
}

std::string withOrigin(const std::string& url, const std::string& from, const std::string& to) {
    if (!url.starts_with(from) ||
        (url.size() > from.size() && url[from.size()] != '/' && url[from.size()] != '?' && url[from.size()] != '#')) {
        return url;
    }
    return to + url.substr(from.size());
}

ViewSiteDiscovery::ViewSiteDiscovery(std::string origin, std::filesystem::path siteProgram)
    : origin_(std::move(origin)), siteProgram_(std::move(siteProgram)), preferredPort_(loopbackPort(origin_)) {}

bool ViewSiteDiscovery::isBuiltInPage(const std::string& url) const {
    return preferredPort_ != 0 && withOrigin(url, origin_, {}) != url;
}

std::string ViewSiteDiscovery::addressFor(const std::string& url) const {
    if (!isBuiltInPage(url)) {
        return url;
    }
    return withOrigin(url, origin_, servingOrigin_.empty() ? nowhere : servingOrigin_);
}

ViewSiteDiscovery::Step ViewSiteDiscovery::search() {
    if (preferredPort_ == 0) {
        return Step::notFound;
    }
    startedInThisSearch_ = false;
    return Step::look;
}

ViewSiteDiscovery::Step ViewSiteDiscovery::looked(const ViewSiteSighting& sighting, Clock::time_point now) {
    servingOrigin_.clear();
    if (sighting.ownSite) {
        servingOrigin_ = originAt(*sighting.ownSite);
        // The first answer of a site this process started is where it is known to have started.
        if (std::exchange(startUnconfirmed_, false)) {
            systemLog("✅ View site started at " + servingOrigin_);
        }
        if (*sighting.ownSite != preferredPort_) {
            reportHolderOnce(sighting.preferredHolder);
        }
        return Step::found;
    }
    // A site started moments ago (by this search or an earlier one) is waited for, not
    // started a second time.
    if (lastStart_ && now - *lastStart_ < startTimeout) {
        return Step::lookAgainLater;
    }
    if (startedInThisSearch_) {
        if (!std::exchange(reportedSilence_, true)) {
            systemLog("❌ View site: " + escapeControlCharacters(siteProgram_.string()) + " did not answer at " +
                      origin_);
        }
        return Step::notFound;
    }
    startedInThisSearch_ = true;
    return Step::start;
}

ViewSiteDiscovery::Step ViewSiteDiscovery::startAttempted(const ViewSiteStart& start, Clock::time_point now) {
    if (start.replacedSilentSiteAt) {
        systemLog("⚠️ View site: this account's site at " + originAt(*start.replacedSilentSiteAt) +
                  " stopped answering; replacing it");
    }
    if (!start.started) {
        if (!std::exchange(reportedStartFailure_, true)) {
            systemLog("❌ View site: cannot start " + escapeControlCharacters(siteProgram_.string()));
        }
        return Step::notFound;
    }
    lastStart_ = now;
    startUnconfirmed_ = true;
    systemLog("▶️ View site starting at " + origin_);
    return Step::lookAgainLater;
}

// Said once per process: whose the preferred address is when this account's site
// serves elsewhere.
void ViewSiteDiscovery::reportHolderOnce(const PortOwner& holder) {
    if (reportedHolder_ || holder.kind == PortOwnerKind::nobody) {
        return;
    }
    reportedHolder_ = true;
    const std::string who = holder.kind == PortOwnerKind::anotherAccount
                                ? "another account (uid " + std::to_string(holder.uid) + ")"
                                : "another program";
    systemLog("⚠️ View site: " + who + " holds " + origin_ + "; the views come from this account's own site at " +
              servingOrigin_ + ", never from it");
}

}  // namespace platform
