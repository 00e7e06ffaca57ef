#include "platform/linux/ViewSiteLauncher.h"

#include "platform/ProductNames.h"
#include "platform/linux/ExecutablePath.h"
#include "platform/linux/LoopbackPortOwner.h"
#include "platform/linux/ViewSiteProbe.h"
#include "platform/linux/ViewSiteRecord.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>
#include <thread>

namespace platform {

namespace {

constexpr std::chrono::milliseconds lookTimeout{1500};

// Double fork: the site belongs to no one's process group or session, so neither the
// application's end nor the screen saver's SIGTERM takes it down. Everything the child
// needs is made before the fork: it runs only what is safe in a threaded program's child.
bool spawnDetached(const std::filesystem::path& program, int port) {
    const std::string listen = "127.0.0.1:" + std::to_string(port);
    const char* arguments[] = {program.c_str(), "--listen", listen.c_str(), "--for-account", nullptr};
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
        ::execv(program.c_str(), const_cast<char* const*>(arguments));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool isOwnSiteAt(int port, std::chrono::milliseconds timeout) {
    return loopbackPortOwner(port).kind == PortOwnerKind::thisAccount &&
           probeViewSitePort(port, timeout) == PortHolder::ourSite;
}

std::optional<int> findOwnSite(int preferred) {
    if (const auto recorded = readViewSiteRecord(viewSiteRecordPath());
        recorded && isOwnSiteAt(*recorded, lookTimeout)) {
        return recorded;
    }
    if (isOwnSiteAt(preferred, lookTimeout)) {
        return preferred;
    }
    return std::nullopt;
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

// This account's site still holds its recorded port but gives no answer: it is ended,
// so that a new one can take its lock and serve. The port it held, when it was.
std::optional<int> endSilentOwnSite() {
    const auto record = viewSiteRecordPath();
    const auto port = readViewSiteRecord(record);
    const auto pid = recordedViewSiteProcess(record);
    if (!port || !pid || loopbackPortOwner(*port).kind != PortOwnerKind::thisAccount || !isOwnSiteProcess(*pid)) {
        return std::nullopt;
    }
    ::kill(*pid, SIGKILL);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (::kill(*pid, 0) == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return port;
}

}  // namespace

ViewSiteSighting lookForOwnViewSite(int preferredPort) {
    ViewSiteSighting sighting;
    sighting.ownSite = findOwnSite(preferredPort);
    if (sighting.ownSite && *sighting.ownSite != preferredPort) {
        sighting.preferredHolder = loopbackPortOwner(preferredPort);
        if (sighting.preferredHolder.kind == PortOwnerKind::thisAccount &&
            probeViewSitePort(preferredPort) == PortHolder::ourSite) {
            sighting.preferredHolder = {};
        }
    }
    return sighting;
}

ViewSiteStart startOwnViewSite(const std::filesystem::path& siteProgram, int preferredPort) {
    ViewSiteStart start;
    start.replacedSilentSiteAt = endSilentOwnSite();
    std::error_code error;
    start.started = std::filesystem::is_regular_file(siteProgram, error) && spawnDetached(siteProgram, preferredPort);
    return start;
}

bool ownViewSiteAnswersAt(int port) { return isOwnSiteAt(port, std::chrono::milliseconds(2000)); }

std::filesystem::path viewSiteProgramBesideThisOne() {
    return runningExecutablePath().parent_path() / product::siteProgramName;
}

}  // namespace platform
