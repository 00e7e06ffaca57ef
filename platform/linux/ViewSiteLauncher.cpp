#include "platform/linux/ViewSiteLauncher.h"

#include "platform/Log.h"
#include "platform/ProductNames.h"
#include "platform/linux/ExecutablePath.h"
#include "platform/linux/ViewSiteProbe.h"
#include "shared/ControlCharacterEscape.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/url/parse.hpp>
#include <charconv>
#include <thread>

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
        const char* arguments[] = {program.c_str(), "--listen", listen.c_str(), nullptr};
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

ViewSiteState ensureViewSiteServing(const std::string& origin, const std::filesystem::path& siteProgram) {
    static bool reportedForeign = false;
    static bool reportedFailure = false;
    const int port = loopbackPort(origin);
    if (port == 0) {
        return ViewSiteState::elsewhere;
    }
    const std::string foreignLine = "❌ View site: another program holds " + origin +
                                    "; the S&P 500 heat map and the stocks chart show its pages, not ours, until it "
                                    "frees the port";
    switch (probeViewSitePort(port)) {
    case PortHolder::ourSite: return ViewSiteState::serving;
    case PortHolder::anotherProgram: reportOnce(reportedForeign, foreignLine); return ViewSiteState::heldByAnother;
    case PortHolder::nobody: break;
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(siteProgram, error) || !spawnDetached(siteProgram, port)) {
        reportOnce(reportedFailure, "❌ View site: cannot start " + escapeControlCharacters(siteProgram.string()));
        return ViewSiteState::failedToStart;
    }
    const auto deadline = std::chrono::steady_clock::now() + startTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        switch (probeViewSitePort(port, std::chrono::milliseconds(500))) {
        case PortHolder::ourSite: systemLog("✅ View site started at " + origin); return ViewSiteState::started;
        case PortHolder::anotherProgram: reportOnce(reportedForeign, foreignLine); return ViewSiteState::heldByAnother;
        case PortHolder::nobody: std::this_thread::sleep_for(std::chrono::milliseconds(40)); break;
        }
    }
    reportOnce(reportedFailure, "❌ View site: " + siteProgram.string() + " did not answer at " + origin);
    return ViewSiteState::failedToStart;
}

ViewSiteState startBuiltInViewSite(const std::string& origin) {
    if (loopbackPort(origin) == 0) {
        return ViewSiteState::elsewhere;
    }
    builtInOrigin() = origin;
    return ensureViewSiteServing(origin, viewSiteProgramBesideThisOne());
}

void ensureViewSiteFor(const std::string& url) {
    const std::string& origin = builtInOrigin();
    if (!origin.empty() && url.starts_with(origin) && (url.size() == origin.size() || url[origin.size()] == '/')) {
        ensureViewSiteServing(origin, viewSiteProgramBesideThisOne());
    }
}

}  // namespace platform
