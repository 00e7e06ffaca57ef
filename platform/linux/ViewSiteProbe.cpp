#include "platform/linux/ViewSiteProbe.h"

#include "platform/ProductNames.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <nlohmann/json.hpp>

namespace platform {

namespace {

constexpr const char* identityPath = product::siteIdentityPath;
constexpr const char* serviceName = product::siteProgramName;

class Socket {
public:
    Socket() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
        return false;
    }
    pollfd entry{fd, events, 0};
    return ::poll(&entry, 1, static_cast<int>(left.count())) == 1;
}

}  // namespace

bool isViewSiteIdentity(const std::string& answer) {
    if (!answer.starts_with("HTTP/1.1 200") && !answer.starts_with("HTTP/1.0 200")) {
        return false;
    }
    const size_t bodyStart = answer.find("\r\n\r\n");
    if (bodyStart == std::string::npos) {
        return false;
    }
    const auto body = nlohmann::json::parse(answer.substr(bodyStart + 4), nullptr, false);
    return body.is_object() && body.contains("service") && body["service"] == serviceName;
}

PortHolder probeViewSitePort(int port, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    Socket socket;
    if (socket.fd() < 0) {
        return PortHolder::nobody;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS || !waitFor(socket.fd(), POLLOUT, deadline)) {
            return PortHolder::nobody;
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            return PortHolder::nobody;
        }
    }
    // Something accepted the connection: from here on, anything but our identity
    // answer (silence included) means another program holds the port.
    const std::string request = std::string("GET ") + identityPath +
                                " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                "\r\nConnection: close\r\n\r\n";
    size_t sent = 0;
    while (sent < request.size()) {
        if (!waitFor(socket.fd(), POLLOUT, deadline)) {
            return PortHolder::anotherProgram;
        }
        const ssize_t count = ::send(socket.fd(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) {
            return PortHolder::anotherProgram;
        }
        sent += static_cast<size_t>(count);
    }
    std::string answer;
    char buffer[1024];
    while (answer.size() < 8192 && waitFor(socket.fd(), POLLIN, deadline)) {
        const ssize_t count = ::recv(socket.fd(), buffer, sizeof buffer, 0);
        if (count <= 0) {
            break;
        }
        answer.append(buffer, static_cast<size_t>(count));
    }
    return isViewSiteIdentity(answer) ? PortHolder::ourSite : PortHolder::anotherProgram;
}

}  // namespace platform
