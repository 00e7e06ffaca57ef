#pragma once

#include <sys/types.h>

#include <string_view>
#include <vector>

namespace platform {

// Who listens on 127.0.0.1:PORT, as the kernel's socket tables (/proc/net/tcp and
// tcp6) say. The tables name each socket's owner, so another account's server is told
// from this account's own without talking to it, and nothing it answers can change that.
struct ListeningSocket {
    int port = 0;
    uid_t uid = 0;
};

// The listening sockets of one table's text that take connections to 127.0.0.1: those
// bound to 127.0.0.1 itself, to any IPv4 address, to ::ffff:127.0.0.1 or to any IPv6
// address (which takes IPv4 too unless the socket is IPv6-only: counted, to be safe).
std::vector<ListeningSocket> loopbackListeners(std::string_view table, bool ipv6);

enum class PortOwnerKind { nobody, thisAccount, anotherAccount };
struct PortOwner {
    PortOwnerKind kind = PortOwnerKind::nobody;
    uid_t uid = 0;  // for anotherAccount: whose
};

// One listener of another account is enough for the port to be someone else's.
PortOwner ownerOf(const std::vector<ListeningSocket>& listeners, int port, uid_t me);

// From the running system's tables, for the calling account.
PortOwner loopbackPortOwner(int port);

}  // namespace platform
