#pragma once

#include <string>
#include <string_view>

namespace viewsite {

// Whether a request is meant for this site and not for one it would be a proxy to.
// `targetHost` and `targetPort` are the authority of the request's target: taken from
// the request line when that is an absolute URI ("GET http://elsewhere/ HTTP/1.1"), from
// the Host header otherwise; `hostHeader` is the Host header as sent (empty without one).
// A target that names another host than the Host header is a proxy request; on a
// loopback address the target must also be the site's own address, which keeps pages of
// other origins that a name resolves to 127.0.0.1 from reading it.
struct ListenAddress {
    std::string host;
    int port = 0;
};

bool namesThisSite(std::string_view targetHost, int targetPort, std::string_view hostHeader, const ListenAddress& own);

}  // namespace viewsite
