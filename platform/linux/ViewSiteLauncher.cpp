#include "platform/linux/ViewSiteLauncher.h"

#include "platform/Log.h"
#include "platform/ProductNames.h"
#include "platform/linux/ExecutablePath.h"
#include "platform/linux/LoopbackPortOwner.h"
#include "platform/linux/ViewSiteProbe.h"
#include "platform/linux/ViewSiteRecord.h"
#include "shared/ControlCharacterEscape.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/url/parse.hpp>
#include <charconv>
#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>
#include <thread>
#include <utility>

namespace platform {

namespace {

constexpr auto startTimeout = std::chrono::seconds(5);

// Double fork: the site belongs to no one's process group or session, so neither the
// application's end nor the screen saver's SIGTERM takes it down.
bool spawnDetached(const std::filesystem::path& program, int port) {
    const std::string listen = "127.0.0.1:" + std::to_string(port);
    const pid_t child = ::fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        ::setsid();
        if (::fork() != 0) {
            ::_exit(0);
        }
        const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
        }
        ::close_range(3, ~0U, 0);
        ::chdir("/");
        const char* arguments[] = {program.c_str(), "--listen", listen.c_str(), "--for-account", nullptr};
        ::execv(program.c_str(), const_cast<char* const*>(arguments));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string& builtInOrigin() {
    static std::string origin;
    return origin;
}

void reportOnce(bool& reported, const std::string& line) {
    if (!reported) {
        reported = true;
        systemLog(line);
    }
}

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

std::filesystem::path viewSiteProgramBesideThisOne() {
    return runningExecutablePath().parent_path() / product::siteProgramName;
}

namespace {

// When this process last started the site: one that has not answered yet is waited
// for, not started a second time.
std::optional<std::chrono::steady_clock::time_point>& lastStart() {
    static std::optional<std::chrono::steady_clock::time_point> started;
    return started;
}

bool& startUnconfirmed() {
    static bool unconfirmed = false;
    return unconfirmed;
}

// The origin this account's site was last found serving on; empty when it was not.
std::string& servingOrigin() {
    static std::string origin;
    return origin;
}

std::string originAt(int port) { return "http://127.0.0.1:" + std::to_string(port); }

bool startedMomentsAgo() { return lastStart() && std::chrono::steady_clock::now() - *lastStart() < startTimeout; }

// The first answer of a site this process started is where it is known to have started.
bool confirmStart() {
    if (!lastStart() || !std::exchange(startUnconfirmed(), false)) {
        return false;
    }
    systemLog("✅ View site started at " + servingOrigin());
    return true;
}

// Ours only when the kernel says this account listens there and the listener gives
// our identity answer: another account cannot pass the first, another program of this
// account does not pass the second.
bool isOwnSiteAt(int port, std::chrono::milliseconds probeTimeout) {
    return loopbackPortOwner(port).kind == PortOwnerKind::thisAccount &&
           probeViewSitePort(port, probeTimeout) == PortHolder::ourSite;
}

// Where this account's site serves: the port its record names, or the preferred one
// (a site started by hand, without a record).
std::optional<int> findOwnSite(int preferred, std::chrono::milliseconds probeTimeout) {
    if (const auto recorded = readViewSiteRecord(viewSiteRecordPath());
        recorded && isOwnSiteAt(*recorded, probeTimeout)) {
        return recorded;
    }
    if (isOwnSiteAt(preferred, probeTimeout)) {
        return preferred;
    }
    return std::nullopt;
}

// Said once per process: whose the preferred address is when this account's site
// serves elsewhere.
void reportHolderOnce(const std::string& origin, int preferred) {
    static bool reported = false;
    const auto owner = loopbackPortOwner(preferred);
    if (reported || owner.kind == PortOwnerKind::nobody ||
        (owner.kind == PortOwnerKind::thisAccount && probeViewSitePort(preferred) == PortHolder::ourSite)) {
        return;
    }
    reported = true;
    const std::string holder = owner.kind == PortOwnerKind::anotherAccount
                                   ? "another account (uid " + std::to_string(owner.uid) + ")"
                                   : "another program";
    systemLog("⚠️ View site: " + holder + " holds " + origin + "; the views come from this account's own site at " +
              servingOrigin() + ", never from it");
}

// Whether `pid` is this account's site program (the record may be older than the
// process that now has its number).
bool isOwnSiteProcess(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    bool ownersMatch = false;
    std::string name;
    while (std::getline(status, line)) {
        if (line.starts_with("Name:")) {
            name = line.substr(line.find_first_not_of(" \t", 5));
        } else if (line.starts_with("Uid:")) {
            std::istringstream ids(line.substr(4));
            uid_t real = 0;
            ownersMatch = static_cast<bool>(ids >> real) && real == ::getuid();
        }
    }
    // The kernel keeps the first 15 characters of a program's name.
    return ownersMatch && !name.empty() && std::string_view(product::siteProgramName).starts_with(name);
}

// This account's site still holds its recorded port but gives no answer (stopped, or
// out of descriptors): it is ended, so that a new one can take its lock and serve.
void replaceSilentOwnSite() {
    const auto record = viewSiteRecordPath();
    const auto port = readViewSiteRecord(record);
    const auto pid = recordedViewSiteProcess(record);
    if (!port || !pid || loopbackPortOwner(*port).kind != PortOwnerKind::thisAccount || !isOwnSiteProcess(*pid)) {
        return;
    }
    systemLog("⚠️ View site: this account's site at " + originAt(*port) + " stopped answering; replacing it");
    ::kill(*pid, SIGKILL);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (::kill(*pid, 0) == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

ViewSiteState foundAt(const std::string& origin, int preferred, int port) {
    servingOrigin() = originAt(port);
    if (port != preferred) {
        reportHolderOnce(origin, preferred);
    }
    return confirmStart() ? ViewSiteState::started : ViewSiteState::serving;
}

bool startSite(const std::filesystem::path& siteProgram, int port) {
    static bool reportedFailure = false;
    std::error_code error;
    if (!std::filesystem::is_regular_file(siteProgram, error) || !spawnDetached(siteProgram, port)) {
        reportOnce(reportedFailure, "❌ View site: cannot start " + escapeControlCharacters(siteProgram.string()));
        return false;
    }
    lastStart() = std::chrono::steady_clock::now();
    startUnconfirmed() = true;
    return true;
}

}  // namespace

std::string withOrigin(const std::string& url, const std::string& from, const std::string& to) {
    if (!url.starts_with(from) ||
        (url.size() > from.size() && url[from.size()] != '/' && url[from.size()] != '?' && url[from.size()] != '#')) {
        return url;
    }
    return to + url.substr(from.size());
}

ViewSiteState ensureViewSiteServing(const std::string& origin, const std::filesystem::path& siteProgram,
                                    WaitForSite wait) {
    static bool reportedSilence = false;
    const int port = loopbackPort(origin);
    if (port == 0) {
        return ViewSiteState::elsewhere;
    }
    servingOrigin().clear();
    if (const auto found = findOwnSite(port, std::chrono::milliseconds(1500))) {
        return foundAt(origin, port, *found);
    }
    const bool alreadyStarting = startedMomentsAgo();
    if (!alreadyStarting) {
        replaceSilentOwnSite();
    }
    if (!alreadyStarting && !startSite(siteProgram, port)) {
        return ViewSiteState::failedToStart;
    }
    if (wait == WaitForSite::no) {
        if (!alreadyStarting) {
            systemLog("▶️ View site starting at " + origin);
        }
        return ViewSiteState::starting;
    }
    const auto deadline = *lastStart() + startTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (const auto found = findOwnSite(port, std::chrono::milliseconds(500))) {
            return foundAt(origin, port, *found);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    reportOnce(reportedSilence, "❌ View site: " + siteProgram.string() + " did not answer at " + origin);
    return ViewSiteState::failedToStart;
}

bool ownViewSiteAnswersFor(const std::string& url) {
    const std::string& origin = builtInOrigin();
    const int port = loopbackPort(servingOrigin());
    if (origin.empty() || port == 0 || withOrigin(url, origin, {}) == url) {
        return true;
    }
    return isOwnSiteAt(port, std::chrono::milliseconds(2000));
}

ViewSiteState startBuiltInViewSite(const std::string& origin) {
    if (loopbackPort(origin) == 0) {
        return ViewSiteState::elsewhere;
    }
    builtInOrigin() = origin;
    return ensureViewSiteServing(origin, viewSiteProgramBesideThisOne(), WaitForSite::no);
}

std::string addressOnOwnViewSite(const std::string& url) {
    const std::string& origin = builtInOrigin();
    if (origin.empty() || withOrigin(url, origin, {}) == url) {
        return url;
    }
    ensureViewSiteServing(origin, viewSiteProgramBesideThisOne(), WaitForSite::yes);
    // Without this account's site, the configured address may be anyone's: the load is
    // sent where nothing answers, fails, and is tried again with the usual backoff.
    constexpr const char* nowhere = "http://127.0.0.1:0";
    return withOrigin(url, origin, servingOrigin().empty() ? nowhere : servingOrigin());
}

}  // namespace platform
