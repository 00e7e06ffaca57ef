#include "viewsite/SiteAddressClaim.h"

#include "platform/ControlCharacterEscape.h"
#include "platform/Log.h"
#include "platform/linux/LoopbackPortOwner.h"
#include "platform/linux/ViewSiteProbe.h"
#include "platform/linux/ViewSiteRecord.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace viewsite {

namespace {

constexpr auto otherStartTimeout = std::chrono::seconds(5);

std::string addressText(const std::string& host, int port) {
    return "http://" + escapeControlCharacters(host) + ":" + std::to_string(port);
}

bool isOurSiteAt(int port) {
    return platform::loopbackPortOwner(port).kind == platform::PortOwnerKind::thisAccount &&
           platform::probeViewSitePort(port) == platform::PortHolder::ourSite;
}

std::string holderOf(int port) {
    const auto owner = platform::loopbackPortOwner(port);
    return owner.kind == platform::PortOwnerKind::anotherAccount
               ? "another account (uid " + std::to_string(owner.uid) + ")"
               : "another program";
}

}  // namespace

SiteAddressClaim::~SiteAddressClaim() {
    if (!record_.empty() && port_ != 0) {
        platform::removeViewSiteRecord(record_, port_);
    }
    if (lock_ >= 0) {
        ::close(lock_);
    }
}

// Another site of this account holds the lock: it is starting or serving, and its
// record says where once it listens.
std::optional<int> SiteAddressClaim::joinTheSiteAlreadyServing() {
    const auto deadline = std::chrono::steady_clock::now() + otherStartTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (const auto port = platform::readViewSiteRecord(record_); port && isOurSiteAt(*port)) {
            platform::systemLog("✅ View site already served at " + addressText("127.0.0.1", *port));
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    platform::systemLog("❌ View site: another site of this account holds " + escapeControlCharacters(record_.string()) +
                        ".lock but serves nowhere; not serving");
    return 1;
}

std::optional<int> SiteAddressClaim::claim(SiteServer& server, const SiteOptions& options) {
    if (options.forAccount) {
        record_ = platform::viewSiteRecordPath();
        std::error_code ignored;
        std::filesystem::create_directories(record_.parent_path(), ignored);
        ::chmod(record_.parent_path().c_str(), 0700);
        const std::string lockPath = record_.string() + ".lock";
        lock_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (lock_ < 0) {
            platform::systemLog("❌ View site: cannot open " + escapeControlCharacters(lockPath));
            return 1;
        }
        if (::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
            return joinTheSiteAlreadyServing();
        }
    }
    std::string reason;
    const std::string wanted = addressText(options.host, options.port);
    switch (server.listen(options.host, options.port, reason)) {
    case SiteServer::ListenResult::listening: break;
    case SiteServer::ListenResult::addressInUse: {
        // Started twice at once (the application and the screen saver): the other one won.
        if (options.host == "127.0.0.1" && isOurSiteAt(options.port)) {
            platform::systemLog("✅ View site already served at " + wanted);
            return 0;
        }
        const std::string holder = options.host == "127.0.0.1" ? holderOf(options.port) : "another program";
        if (!options.forAccount) {
            platform::systemLog("❌ View site: " + wanted + " is held by " + holder + "; not serving");
            return 2;
        }
        if (server.listen(options.host, 0, reason) != SiteServer::ListenResult::listening) {
            platform::systemLog("❌ View site: cannot listen on " + escapeControlCharacters(options.host) + ": " +
                                reason);
            return 1;
        }
        platform::systemLog("⚠️ View site: " + wanted + " is held by " + holder + "; serving at " +
                            addressText(options.host, server.boundPort()) + " instead");
        break;
    }
    case SiteServer::ListenResult::failed:
        platform::systemLog("❌ View site: cannot listen on " + wanted + ": " + reason);
        return 1;
    }
    port_ = server.boundPort();
    platform::systemLog("✅ View site serving " + escapeControlCharacters(options.root.string()) + " at " +
                        addressText(options.host, port_));
    if (options.forAccount && !platform::writeViewSiteRecord(record_, port_)) {
        platform::systemLog("⚠️ View site: cannot record its address in " +
                            escapeControlCharacters(record_.string()));
    }
    return std::nullopt;
}

}  // namespace viewsite
