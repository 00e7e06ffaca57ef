#include "platform/linux/LoopbackPortOwner.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace platform {

namespace {

constexpr std::string_view listenState = "0A";

std::optional<std::uint32_t> hexWord(std::string_view text) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// The tables print each 32-bit word of an address as the kernel holds it (network
// order read as a host number), so the words are compared with htonl() of the values.
bool takesLoopback(std::string_view address, bool ipv6) {
    const std::uint32_t loopback = htonl(INADDR_LOOPBACK);
    if (!ipv6) {
        const auto word = hexWord(address);
        return word && (*word == 0 || *word == loopback);
    }
    if (address.size() != 32) {
        return false;
    }
    std::array<std::uint32_t, 4> words{};
    for (size_t i = 0; i < words.size(); ++i) {
        const auto word = hexWord(address.substr(i * 8, 8));
        if (!word) {
            return false;
        }
        words[i] = *word;
    }
    const bool any = words[0] == 0 && words[1] == 0 && words[2] == 0 && words[3] == 0;
    const bool mappedLoopback = words[0] == 0 && words[1] == 0 && words[2] == htonl(0xffff) && words[3] == loopback;
    return any || mappedLoopback;
}

std::string readWhole(const char* path) {
    std::ifstream input(path);
    std::stringstream text;
    text << input.rdbuf();
    return text.str();
}

}  // namespace

std::vector<ListeningSocket> loopbackListeners(std::string_view table, bool ipv6) {
    std::vector<ListeningSocket> found;
    std::istringstream lines{std::string(table)};
    std::string line;
    std::getline(lines, line);  // the heading
    while (std::getline(lines, line)) {
        // sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid ...
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits;
        long uid = -1;
        if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid) ||
            state != listenState || uid < 0) {
            continue;
        }
        const size_t colon = local.find(':');
        const auto port =
            colon == std::string::npos ? std::nullopt : hexWord(std::string_view(local).substr(colon + 1));
        if (port && takesLoopback(std::string_view(local).substr(0, colon), ipv6)) {
            found.push_back({static_cast<int>(*port), static_cast<uid_t>(uid)});
        }
    }
    return found;
}

PortOwner ownerOf(const std::vector<ListeningSocket>& listeners, int port, uid_t me) {
    PortOwner owner;
    for (const auto& listener : listeners) {
        if (listener.port != port) {
            continue;
        }
        if (listener.uid != me) {
            return {PortOwnerKind::anotherAccount, listener.uid};
        }
        owner.kind = PortOwnerKind::thisAccount;
    }
    return owner;
}

PortOwner loopbackPortOwner(int port) {
    auto listeners = loopbackListeners(readWhole("/proc/net/tcp"), false);
    const auto ipv6 = loopbackListeners(readWhole("/proc/net/tcp6"), true);
    listeners.insert(listeners.end(), ipv6.begin(), ipv6.end());
    return ownerOf(listeners, port, ::getuid());
}

}  // namespace platform
