#include "viewsite/RequestAuthority.h"

#include <gtest/gtest.h>

using namespace viewsite;

namespace {

// Any port: the check compares names and numbers, it binds nothing.
constexpr int port = 40123;

TEST(RequestAuthority, ALoopbackSiteAnswersOnlyForItsOwnAddress) {
    const ListenAddress own{"127.0.0.1", port};
    EXPECT_TRUE(namesThisSite("127.0.0.1", port, "127.0.0.1:40123", own));
    EXPECT_TRUE(namesThisSite("localhost", port, "LocalHost:40123", own));
    EXPECT_TRUE(namesThisSite("::1", port, "[::1]:40123", own));
    EXPECT_TRUE(namesThisSite("127.0.0.1", port, "", own)) << "HTTP/1.0 without Host";
    // A name that resolves to loopback in someone's page, another port, a proxy request.
    EXPECT_FALSE(namesThisSite("rebound.example", port, "rebound.example:40123", own));
    EXPECT_FALSE(namesThisSite("127.0.0.1", 80, "127.0.0.1", own));
    EXPECT_FALSE(namesThisSite("example.com", 443, "example.com:443", own));
}

TEST(RequestAuthority, AnAbsoluteTargetForAnotherHostIsAProxyRequestAnywhere) {
    const ListenAddress publicAddress{"0.0.0.0", 8080};
    EXPECT_TRUE(namesThisSite("views.example", -1, "views.example", publicAddress));
    EXPECT_TRUE(namesThisSite("views.example", 8080, "views.example:8080", publicAddress));
    EXPECT_FALSE(namesThisSite("elsewhere.example", -1, "views.example", publicAddress));
    EXPECT_FALSE(namesThisSite("views.example", 8080, "views.example", publicAddress)) << "ports differ";
    for (const char* broken : {"[::1", "views.example:", "views.example:x", ":8080", "views.example:80:80"}) {
        EXPECT_FALSE(namesThisSite("views.example", -1, broken, publicAddress)) << broken;
    }
}

}  // namespace
