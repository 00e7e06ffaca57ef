#include "platform/linux/XWaylandDisplay.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using platform::xwaylandDisplayOf;

// Not in an anonymous namespace: the tests GoogleTest derives from it are not in one, and
// GCC warns about such a base when a unity build includes this file.
class LockFolder : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("xwayland-locks-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    void lock(const std::string& name, const std::string& content) { std::ofstream(folder_ / name) << content; }

    fs::path folder_;
};

TEST_F(LockFolder, FindsTheDisplayWhoseLockNamesTheCompositor) {
    // X servers pad the id to ten characters and end the line.
    lock(".X0-lock", "      4242\n");
    lock(".X1-lock", "      5151\n");
    lock(".X12-lock", "       777\n");
    EXPECT_EQ(xwaylandDisplayOf(5151, folder_), ":1");
    EXPECT_EQ(xwaylandDisplayOf(777, folder_), ":12");
    EXPECT_EQ(xwaylandDisplayOf(4242, folder_), ":0");
}

TEST_F(LockFolder, NoDisplayWhenNoLockBelongsToTheCompositor) {
    lock(".X0-lock", "      4242\n");
    EXPECT_EQ(xwaylandDisplayOf(424, folder_), std::nullopt);
    EXPECT_EQ(xwaylandDisplayOf(42420, folder_), std::nullopt);
    EXPECT_EQ(xwaylandDisplayOf(1, folder_ / "missing"), std::nullopt);
}

TEST_F(LockFolder, IgnoresOtherFilesAndMalformedLocks) {
    lock(".X3-lock", "4242 trailing words\n");
    lock(".Xa-lock", "4242\n");
    lock("X5-lock", "4242\n");
    lock(".X6-lock.tmp", "4242\n");
    lock(".X7-lock", "\n");
    lock(".X8-lock", "-4242\n");
    fs::create_directories(folder_ / ".X9-lock");
    EXPECT_EQ(xwaylandDisplayOf(4242, folder_), std::nullopt);
    lock(".X4-lock", "4242");
    EXPECT_EQ(xwaylandDisplayOf(4242, folder_), ":4");
}

TEST_F(LockFolder, PrefersTheLowestOfSeveralDisplays) {
    lock(".X20-lock", "      4242\n");
    lock(".X3-lock", "      4242\n");
    EXPECT_EQ(xwaylandDisplayOf(4242, folder_), ":3");
}
