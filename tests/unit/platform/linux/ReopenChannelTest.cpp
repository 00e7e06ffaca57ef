#include "platform/linux/ReopenChannel.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

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

        EXPECT_EQ(listener.acceptClient(), nullptr) << "no launch waiting";
        ASSERT_TRUE(platform::requestReopen(path));
        auto client = listener.acceptClient();
        ASSERT_NE(client, nullptr);
        EXPECT_EQ(client->read(), platform::ReopenClient::State::reopen);
    }
    EXPECT_FALSE(std::filesystem::exists(path)) << "the socket goes with its listener";
}

int connectTo(const std::string& path) {
    const int client = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return client;
}

using State = platform::ReopenClient::State;

TEST(ReopenChannelTest, AnythingButTheRequestIsIgnored) {
    testing_support::TemporaryFolder folder;
    const auto path = (folder.path() / "instance.socket").string();
    platform::ReopenListener listener(path);
    ASSERT_TRUE(listener.listening());

    for (const std::string& sent :
         {std::string("quit\n\n\n"), std::string("reopen\nreopen\n"), std::string("reop"), std::string("")}) {
        const int client = connectTo(path);
        ASSERT_EQ(::write(client, sent.data(), sent.size()), static_cast<ssize_t>(sent.size()));
        ::close(client);
        auto accepted = listener.acceptClient();
        ASSERT_NE(accepted, nullptr);
        EXPECT_EQ(accepted->read(), State::refused) << "sent: " << sent;
    }
}

TEST(ReopenChannelTest, SilentAndSlowClientsNeverMakeTheListenerWait) {
    testing_support::TemporaryFolder folder;
    const auto path = (folder.path() / "instance.socket").string();
    platform::ReopenListener listener(path);

    // Twenty launches that connect and say nothing, then one that asks in two pieces.
    std::vector<int> silent;
    std::vector<std::unique_ptr<platform::ReopenClient>> accepted;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) {
        silent.push_back(connectTo(path));
        accepted.push_back(listener.acceptClient());
        ASSERT_NE(accepted.back(), nullptr);
        EXPECT_EQ(accepted.back()->read(), State::waiting);
    }
    const int slow = connectTo(path);
    auto slowClient = listener.acceptClient();
    ASSERT_NE(slowClient, nullptr);
    ASSERT_EQ(::write(slow, "reo", 3), 3);
    EXPECT_EQ(slowClient->read(), State::waiting);
    ASSERT_EQ(::write(slow, "pen\n", 4), 4);
    EXPECT_EQ(slowClient->read(), State::reopen) << "a whole request counts while the peer holds on";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));

    for (int fd : silent) {
        ::close(fd);
    }
    ::close(slow);
    for (auto& client : accepted) {
        EXPECT_EQ(client->read(), State::refused) << "hung up without a word";
    }
}

}  // namespace
