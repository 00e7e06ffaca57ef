#include "viewsite/RequestAuthority.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace viewsite {

namespace {

constexpr int httpPort = 80;

bool sameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

bool isLoopbackName(std::string_view host) {
    return host == "::1" || sameName(host, "localhost") || host.starts_with("127.");
}

struct Authority {
    std::string_view host;
    int port = httpPort;
    bool valid = false;
};

// "name", "name:port", "[v6]" or "[v6]:port".
Authority parseHostHeader(std::string_view text) {
    Authority authority;
    std::string_view rest;
    if (text.starts_with('[')) {
        const size_t close = text.find(']');
        if (close == std::string_view::npos) {
            return authority;
        }
        authority.host = text.substr(1, close - 1);
        rest = text.substr(close + 1);
    } else {
        const size_t colon = text.find(':');
        authority.host = text.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view{} : text.substr(colon);
    }
    if (!rest.empty()) {
        if (rest.front() != ':' || rest.size() == 1) {
            return authority;
        }
        const auto [end, error] = std::from_chars(rest.data() + 1, rest.data() + rest.size(), authority.port);
        if (error != std::errc() || end != rest.data() + rest.size()) {
            return authority;
        }
    }
    authority.valid = !authority.host.empty();
    return authority;
}

}  // namespace

bool namesThisSite(std::string_view targetHost, int targetPort, std::string_view hostHeader, const ListenAddress& own) {
    const int port = targetPort > 0 ? targetPort : httpPort;
    if (!hostHeader.empty()) {
        const Authority sent = parseHostHeader(hostHeader);
        if (!sent.valid || !sameName(sent.host, targetHost) || sent.port != port) {
            return false;
        }
    }
    if (!isLoopbackName(own.host)) {
        return true;  // a public address answers to whatever names lead to it
    }
    return port == own.port && (sameName(targetHost, own.host) || isLoopbackName(targetHost));
}

}  // namespace viewsite
