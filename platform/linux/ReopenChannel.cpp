#include "platform/linux/ReopenChannel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace platform {

namespace {

constexpr char reopenRequest[] = "reopen\n";

bool fillAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace

ReopenListener::ReopenListener(std::string socketPath) : path_(std::move(socketPath)) {
    sockaddr_un address{};
    if (!fillAddress(path_, address)) {
        return;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return;
    }
    ::unlink(path_.c_str());
    // Only the user may connect, even where the folder is shared (/tmp).
    const mode_t previous = ::umask(0177);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::umask(previous);
    if (!bound || ::listen(fd, 8) != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
}

ReopenListener::~ReopenListener() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
}

bool ReopenListener::acceptRequest() {
    const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) {
        return false;
    }
    ucred peer{};
    socklen_t length = sizeof peer;
    const bool sameUser = ::getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::getuid();
    // The request is a few bytes written at once; a slow or silent peer gets a
    // second at most, so it cannot stall the main loop.
    timeval timeout{1, 0};
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    char buffer[sizeof reopenRequest] = {};
    const auto received = ::recv(client, buffer, sizeof buffer - 1, MSG_WAITALL);
    ::close(client);
    return sameUser && received == static_cast<ssize_t>(sizeof reopenRequest - 1) &&
           std::memcmp(buffer, reopenRequest, sizeof reopenRequest - 1) == 0;
}

bool requestReopen(const std::string& socketPath) {
    sockaddr_un address{};
    if (!fillAddress(socketPath, address)) {
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const bool sent = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                      ::send(fd, reopenRequest, sizeof reopenRequest - 1, MSG_NOSIGNAL) ==
                          static_cast<ssize_t>(sizeof reopenRequest - 1);
    ::close(fd);
    return sent;
}

std::string reopenSocketPathFor(const std::string& lockPath) {
    const std::string suffix = ".lock";
    if (lockPath.size() > suffix.size() && lockPath.compare(lockPath.size() - suffix.size(), suffix.size(), suffix) == 0) {
        return lockPath.substr(0, lockPath.size() - suffix.size()) + ".socket";
    }
    return lockPath + ".socket";
}

}  // namespace platform
