#include "platform/linux/ReopenChannel.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace {

TEST(ReopenChannelTest, ASecondLaunchReachesTheListenerThroughAPrivateSocket) {
    testing_support::TemporaryFolder folder;
    const auto path = platform::reopenSocketPathFor((folder.path() / "instance.lock").string());
    EXPECT_EQ(path, (folder.path() / "instance.socket").string());

    EXPECT_FALSE(platform::requestReopen(path)) << "nobody listens yet";
    {
        std::ofstream(path) << "left by a crashed instance";
        platform::ReopenListener listener(path);
        ASSERT_TRUE(listener.listening());
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u) << "only the user may connect";

        EXPECT_FALSE(listener.acceptRequest()) << "no launch waiting";
        ASSERT_TRUE(platform::requestReopen(path));
        EXPECT_TRUE(listener.acceptRequest());
    }
    EXPECT_FALSE(std::filesystem::exists(path)) << "the socket goes with its listener";
}

TEST(ReopenChannelTest, AnythingButTheRequestIsIgnored) {
    testing_support::TemporaryFolder folder;
    const auto path = (folder.path() / "instance.socket").string();
    platform::ReopenListener listener(path);
    ASSERT_TRUE(listener.listening());

    const int client = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::write(client, "quit\n\n\n", 7), 7);
    ::close(client);
    EXPECT_FALSE(listener.acceptRequest());
}

}  // namespace
