#include "platform/linux/ReopenChannel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

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

std::unique_ptr<ReopenClient> ReopenListener::acceptClient() {
    if (fd_ < 0) {
        return nullptr;
    }
    const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (client < 0) {
        return nullptr;
    }
    ucred peer{};
    socklen_t length = sizeof peer;
    const bool sameUser = ::getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::getuid();
    return std::make_unique<ReopenClient>(client, sameUser);
}

ReopenClient::ReopenClient(int fd, bool sameUser) : fd_(fd), sameUser_(sameUser) {}

ReopenClient::~ReopenClient() { ::close(fd_); }

ReopenClient::State ReopenClient::read() {
    if (!sameUser_) {
        return State::refused;
    }
    const std::string_view request(reopenRequest, sizeof reopenRequest - 1);
    char buffer[sizeof reopenRequest];
    for (;;) {
        const auto wanted = request.size() + 1 - received_.size();
        const auto count = ::recv(fd_, buffer, wanted, MSG_DONTWAIT);
        if (count > 0) {
            received_.append(buffer, static_cast<size_t>(count));
            if (received_.size() > request.size() || request.compare(0, received_.size(), received_) != 0) {
                return State::refused;
            }
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A request written in full and then held open counts once it is all here.
            return received_.size() == request.size() ? State::reopen : State::waiting;
        }
        // The peer hung up (or the socket failed): the request is whatever came.
        return received_ == request ? State::reopen : State::refused;
    }
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
    if (lockPath.size() > suffix.size() &&
        lockPath.compare(lockPath.size() - suffix.size(), suffix.size(), suffix) == 0) {
        return lockPath.substr(0, lockPath.size() - suffix.size()) + ".socket";
    }
    return lockPath + ".socket";
}

}  // namespace platform
