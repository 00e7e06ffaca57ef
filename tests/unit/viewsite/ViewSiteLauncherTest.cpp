#include "platform/linux/ViewSiteLauncher.h"
#include "platform/linux/ViewSiteProbe.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewSiteLauncher, OnlyALoopbackHttpOriginIsServedBuiltIn) {
    EXPECT_EQ(platform::loopbackPort("http://127.0.0.1:49152"), 49152);
    EXPECT_EQ(platform::loopbackPort("https://127.0.0.1:49152"), 0);
    EXPECT_EQ(platform::loopbackPort("http://127.0.0.1"), 0);
    EXPECT_EQ(platform::loopbackPort("http://127.0.0.1:0"), 0);
    EXPECT_EQ(platform::loopbackPort("http://127.0.0.1:99999"), 0);
    EXPECT_EQ(platform::loopbackPort("http://127.0.0.1:49152/"), 0);
    EXPECT_EQ(platform::loopbackPort("http://example.com:49152"), 0);
    EXPECT_EQ(platform::loopbackPort("https://tavelo.example"), 0);
}

TEST(ViewSiteLauncher, OnlyOurIdentityAnswerCountsAsOurs) {
    const std::string ours =
        "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n\r\n{\"service\":\"tavelo-live-wallpaper-site\"}";
    EXPECT_TRUE(platform::isViewSiteIdentity(ours));
    EXPECT_FALSE(
        platform::isViewSiteIdentity("HTTP/1.1 404 Not Found\r\n\r\n{\"service\":\"tavelo-live-wallpaper-site\"}"));
    EXPECT_FALSE(platform::isViewSiteIdentity("HTTP/1.0 200 OK\r\n\r\n<html>tavelo-live-wallpaper-site</html>"));
    EXPECT_FALSE(platform::isViewSiteIdentity("HTTP/1.0 200 OK\r\n\r\n{\"service\":\"something-else\"}"));
    EXPECT_FALSE(platform::isViewSiteIdentity("SSH-2.0-OpenSSH_9.2\r\n"));
    EXPECT_FALSE(platform::isViewSiteIdentity(""));
}

TEST(ViewSiteLauncher, ANonLoopbackOriginStartsNothing) {
    EXPECT_EQ(platform::ensureViewSiteServing("https://tavelo.example", "/nonexistent/site"),
              platform::ViewSiteState::elsewhere);
}

}  // namespace
