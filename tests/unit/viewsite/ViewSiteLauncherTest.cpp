#include "platform/ViewSiteDiscovery.h"
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

}  // namespace

#include "platform/linux/LoopbackPortOwner.h"
#include "platform/linux/ViewSiteRecord.h"
#include "tests/support/TemporaryHome.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/stat.h>

namespace {

using platform::PortOwnerKind;

// Lines as the kernel prints them (addresses in its byte order, as words).
std::string word(std::uint32_t hostOrder) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(htonl(hostOrder)));
    return text;
}

std::string line(const std::string& local, int port, const char* state, int uid) {
    char text[256];
    std::snprintf(
        text, sizeof text,
        "   0: %s:%04X 00000000:0000 %s 00000000:00000000 00:00000000 00000000  %5d        0 4242 1 0 100 0 0 10 0",
        local.c_str(), port, state, uid);
    return text;
}

const std::string heading =
    "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode";

TEST(LoopbackPortOwner, OnlyListenersThatTakeConnectionsTo127001Count) {
    const std::string table = heading + "\n" + line(word(INADDR_LOOPBACK), 47831, "0A", 1001) + "\n" +
                              line(word(INADDR_ANY), 8080, "0A", 1002) + "\n" +
                              line(word(0x7F000002), 9000, "0A", 1003) + "\n" +       // 127.0.0.2 only
                              line(word(INADDR_LOOPBACK), 9001, "01", 1004) + "\n" +  // a connection, not a listener
                              line(word(0xC0A80001), 9002, "0A", 1005) + "\n";        // 192.168.0.1
    const auto found = platform::loopbackListeners(table, false);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].port, 47831);
    EXPECT_EQ(found[0].uid, 1001u);
    EXPECT_EQ(found[1].port, 8080);

    const std::string mapped = word(0) + word(0) + word(0xffff) + word(INADDR_LOOPBACK);
    const std::string any6 = word(0) + word(0) + word(0) + word(0);
    const std::string one6 = word(0) + word(0) + word(0) + word(1);  // ::1 takes no IPv4
    const std::string table6 = heading + "\n" + line(mapped, 47831, "0A", 1006) + "\n" + line(any6, 47832, "0A", 1007) +
                               "\n" + line(one6, 47833, "0A", 1008) + "\n";
    const auto found6 = platform::loopbackListeners(table6, true);
    ASSERT_EQ(found6.size(), 2u);
    EXPECT_EQ(found6[0].uid, 1006u);
    EXPECT_EQ(found6[1].port, 47832);
    EXPECT_TRUE(platform::loopbackListeners("garbage\nmore garbage 0A x y", false).empty());
}

TEST(LoopbackPortOwner, OneListenerOfAnotherAccountMakesThePortTheirs) {
    const std::vector<platform::ListeningSocket> listeners{{47831, 1000}, {47831, 1001}, {8080, 1000}};
    EXPECT_EQ(platform::ownerOf(listeners, 47831, 1000).kind, PortOwnerKind::anotherAccount);
    EXPECT_EQ(platform::ownerOf(listeners, 47831, 1000).uid, 1001u);
    EXPECT_EQ(platform::ownerOf(listeners, 8080, 1000).kind, PortOwnerKind::thisAccount);
    EXPECT_EQ(platform::ownerOf(listeners, 8080, 1001).kind, PortOwnerKind::anotherAccount);
    EXPECT_EQ(platform::ownerOf(listeners, 1, 1000).kind, PortOwnerKind::nobody);
}

TEST(LoopbackPortOwner, TheRunningSystemShowsOurOwnListener) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const int port = ntohs(address.sin_port);
    EXPECT_EQ(platform::loopbackPortOwner(port).kind, PortOwnerKind::nobody) << "bound, not listening";
    ASSERT_EQ(::listen(fd, 1), 0);
    EXPECT_EQ(platform::loopbackPortOwner(port).kind, PortOwnerKind::thisAccount);
    ::close(fd);
}

TEST(ViewSiteRecord, ReadBackOnlyFromAFolderAndFileNoOneElseCanWrite) {
    testing_support::TemporaryFolder folder;
    const auto record = folder.path() / "tavelo" / "view-site.json";
    ASSERT_TRUE(platform::writeViewSiteRecord(record, 40123));
    EXPECT_EQ(platform::readViewSiteRecord(record), 40123);
    struct stat facts {};
    ASSERT_EQ(::stat(record.parent_path().c_str(), &facts), 0);
    EXPECT_EQ(facts.st_mode & 0777, 0700u);

    ::chmod(record.c_str(), 0666);
    EXPECT_FALSE(platform::readViewSiteRecord(record)) << "a file others may write is no record";
    ::chmod(record.c_str(), 0600);
    ::chmod(record.parent_path().c_str(), 0777);
    EXPECT_FALSE(platform::readViewSiteRecord(record)) << "nor one in a folder others may write";
    ::chmod(record.parent_path().c_str(), 0700);

    for (const char* text : {"{\"port\": 0}", "{\"port\": 70000}", "{\"port\": \"1\"}", "[]", "x"}) {
        std::ofstream(record) << text;
        EXPECT_FALSE(platform::readViewSiteRecord(record)) << text;
    }
    ASSERT_TRUE(platform::writeViewSiteRecord(record, 40123));
    platform::removeViewSiteRecord(record, 40124);
    EXPECT_EQ(platform::readViewSiteRecord(record), 40123) << "another site's record stays";
    platform::removeViewSiteRecord(record, 40123);
    EXPECT_FALSE(std::filesystem::exists(record));
}

TEST(ViewSiteLauncher, PagesOfTheConfiguredOriginMoveToTheAccountsOwnSite) {
    const std::string from = "http://127.0.0.1:47831";
    const std::string to = "http://127.0.0.1:40123";
    EXPECT_EQ(platform::withOrigin(from + "/view.html?darkened=1", from, to), to + "/view.html?darkened=1");
    EXPECT_EQ(platform::withOrigin(from, from, to), to);
    EXPECT_EQ(platform::withOrigin(from + "?x#y", from, to), to + "?x#y");
    EXPECT_EQ(platform::withOrigin(from + "0/view.html", from, to), from + "0/view.html") << "port 478310 is not ours";
    EXPECT_EQ(platform::withOrigin("https://tavelo.example/view.html", from, to), "https://tavelo.example/view.html");
}

}  // namespace

#include "platform/Log.h"

namespace {

using platform::ViewSiteDiscovery;
using Step = ViewSiteDiscovery::Step;

class ViewSiteDiscoveryTest : public testing::Test {
protected:
    ViewSiteDiscoveryTest() {
        platform::setLogSink([this](std::string_view line) { lines.emplace_back(line); });
    }
    ~ViewSiteDiscoveryTest() override { platform::setLogSink({}); }

    static platform::ViewSiteSighting nothing() { return {}; }
    static platform::ViewSiteSighting siteAt(int port, platform::PortOwner preferredHolder = {}) {
        return {port, preferredHolder};
    }

    const std::string origin = "http://127.0.0.1:47831";
    const std::string page = origin + "/view.html?darkened=1";
    ViewSiteDiscovery discovery{origin, "/opt/tavelo/site"};
    ViewSiteDiscovery::Clock::time_point now{};
    std::vector<std::string> lines;
};

TEST_F(ViewSiteDiscoveryTest, ASiteThatAnswersIsUsedWhereItServesAndNothingIsStarted) {
    ASSERT_EQ(discovery.search(), Step::look);
    const platform::PortOwner stranger{platform::PortOwnerKind::anotherAccount, 1002};
    EXPECT_EQ(discovery.looked(siteAt(40123, stranger), now), Step::found);
    EXPECT_EQ(discovery.addressFor(page), "http://127.0.0.1:40123/view.html?darkened=1");
    EXPECT_EQ(discovery.addressFor("https://tavelo.example/view.html"), "https://tavelo.example/view.html");
    // The holder of the preferred address is named once a process, however often the site is looked for.
    ASSERT_EQ(discovery.search(), Step::look);
    EXPECT_EQ(discovery.looked(siteAt(40123, stranger), now), Step::found);
    EXPECT_EQ(lines, (std::vector<std::string>{"⚠️ View site: another account (uid 1002) holds " + origin +
                                               "; the views come from this account's own site at "
                                               "http://127.0.0.1:40123, never from it"}));
}

TEST_F(ViewSiteDiscoveryTest, ASiteStartedMomentsAgoIsWaitedForNotStartedAgain) {
    ASSERT_EQ(discovery.search(), Step::look);
    ASSERT_EQ(discovery.looked(nothing(), now), Step::start);
    ASSERT_EQ(discovery.startAttempted({true, std::nullopt}, now), Step::lookAgainLater);
    now += std::chrono::seconds(1);
    EXPECT_EQ(discovery.looked(nothing(), now), Step::lookAgainLater);
    // Another page asks meanwhile: its search waits for the same start.
    ASSERT_EQ(discovery.search(), Step::look);
    EXPECT_EQ(discovery.looked(nothing(), now), Step::lookAgainLater);
    EXPECT_EQ(discovery.looked(siteAt(47831), now), Step::found);
    EXPECT_EQ(discovery.addressFor(page), page);
    ASSERT_EQ(discovery.search(), Step::look);
    EXPECT_EQ(discovery.looked(siteAt(47831), now), Step::found);
    EXPECT_EQ(lines,
              (std::vector<std::string>{"▶️ View site starting at " + origin, "✅ View site started at " + origin}));
}

TEST_F(ViewSiteDiscoveryTest, WithoutItsSiteAPageGoesWhereNothingAnswersAndFailuresAreSaidOnce) {
    ASSERT_EQ(discovery.search(), Step::look);
    ASSERT_EQ(discovery.looked(nothing(), now), Step::start);
    ASSERT_EQ(discovery.startAttempted({true, 40123}, now), Step::lookAgainLater);
    now += ViewSiteDiscovery::startTimeout;
    EXPECT_EQ(discovery.looked(nothing(), now), Step::notFound);
    EXPECT_EQ(discovery.addressFor(page), "http://127.0.0.1:0/view.html?darkened=1");
    // The next page's search starts it again; a program that cannot start is said once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        ASSERT_EQ(discovery.search(), Step::look);
        ASSERT_EQ(discovery.looked(nothing(), now), Step::start);
        EXPECT_EQ(discovery.startAttempted({false, std::nullopt}, now), Step::notFound);
    }
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "⚠️ View site: this account's site at http://127.0.0.1:40123 stopped answering; replacing it",
                  "▶️ View site starting at " + origin, "❌ View site: /opt/tavelo/site did not answer at " + origin,
                  "❌ View site: cannot start /opt/tavelo/site"}));
}

TEST(ViewSiteDiscovery, ADeployedSiteNeedsNoSearch) {
    ViewSiteDiscovery discovery("https://tavelo.example", "/opt/tavelo/site");
    EXPECT_EQ(discovery.search(), Step::notFound);
    EXPECT_FALSE(discovery.isBuiltInPage("https://tavelo.example/view.html"));
    EXPECT_EQ(discovery.addressFor("https://tavelo.example/view.html"), "https://tavelo.example/view.html");
}

}  // namespace
