#include "platform/PageRecovery.h"
#include "platform/RetryBackoff.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::chrono_literals;
using platform::PageRecovery;
using platform::RetryBackoff;
using Delay = RetryBackoff::Delay;

std::vector<long> steps(RetryBackoff& backoff, int count) {
    std::vector<long> delays;
    delays.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        delays.push_back(static_cast<long>(backoff.next().count()));
    }
    return delays;
}

TEST(RetryBackoffTest, DoublesFromTheFirstDelayAndStaysAtTheCap) {
    RetryBackoff backoff(2s, 300s);
    EXPECT_EQ(steps(backoff, 10),
              (std::vector<long>{2000, 4000, 8000, 16000, 32000, 64000, 128000, 256000, 300000, 300000}));
    // A day of failures never overflows nor falls back below the cap.
    for (int i = 0; i < 100000; ++i) {
        backoff.next();
    }
    EXPECT_EQ(backoff.peek(), Delay(300000));
    backoff.reset();
    EXPECT_EQ(backoff.next(), Delay(2000));
}

TEST(RetryBackoffTest, OddFactorsAndCapsAreHonouredExactly) {
    RetryBackoff tripling(100ms, 1000ms, 3);
    EXPECT_EQ(steps(tripling, 5), (std::vector<long>{100, 300, 900, 1000, 1000}));
    RetryBackoff firstAboveCap(10s, 5s);
    EXPECT_EQ(steps(firstAboveCap, 2), (std::vector<long>{5000, 5000}));
    RetryBackoff noGrowth(1s, 60s, 0);
    EXPECT_EQ(steps(noGrowth, 3), (std::vector<long>{1000, 1000, 1000}));
}

TEST(PageRecoveryTest, FailedLoadsBackOffFromSecondsToFiveMinutesAndASuccessStartsOver) {
    PageRecovery recovery;
    recovery.pageRequested();
    std::vector<long> delays;
    for (int i = 0; i < 9; ++i) {
        delays.push_back(static_cast<long>(recovery.loadFailed().count()));
        recovery.retryStarted();
    }
    EXPECT_EQ(delays, (std::vector<long>{2000, 4000, 8000, 16000, 32000, 64000, 128000, 256000, 300000}));
    recovery.loadSucceeded();
    EXPECT_EQ(recovery.loadFailed(), Delay(2000));
    recovery.retryStarted();
    EXPECT_EQ(recovery.loadFailed(), Delay(4000));
    // The user picking a page is a fresh start too.
    recovery.pageRequested();
    EXPECT_FALSE(recovery.retryPending());
    EXPECT_EQ(recovery.loadFailed(), Delay(2000));
}

TEST(PageRecoveryTest, ARendererThatKeepsEndingWaitsLongerEachTimeUntilItSettles) {
    PageRecovery recovery;
    const auto start = PageRecovery::Clock::time_point{} + 1000h;
    // The first end is answered well within two seconds.
    EXPECT_LE(recovery.rendererEnded(start), Delay(2000));
    std::vector<long> delays;
    auto now = start;
    for (int i = 0; i < 12; ++i) {
        now += 5s;
        delays.push_back(static_cast<long>(recovery.rendererEnded(now).count()));
    }
    EXPECT_EQ(delays,
              (std::vector<long>{1000, 2000, 4000, 8000, 16000, 32000, 64000, 128000, 256000, 300000, 300000, 300000}));
    // A crash loop cannot become a busy loop: no delay after the first few is short.
    // After a quiet minute the next end counts as the first again.
    EXPECT_EQ(recovery.rendererEnded(now + PageRecovery::rendererSettledAfter), Delay(500));
    EXPECT_EQ(recovery.rendererEnded(now + PageRecovery::rendererSettledAfter + 10s), Delay(1000));
}

TEST(PageRecoveryTest, OnlyAFailedLoadWaitingToBeRetriedIsHurriedByTheNetworkReturning) {
    PageRecovery recovery;
    EXPECT_FALSE(recovery.retryNowOnNetworkReturn()) << "nothing failed yet";
    recovery.loadFailed();
    EXPECT_TRUE(recovery.retryNowOnNetworkReturn());
    recovery.retryStarted();
    EXPECT_FALSE(recovery.retryNowOnNetworkReturn()) << "the retry already runs";

    recovery.loadFailed();
    recovery.loadSucceeded();
    EXPECT_FALSE(recovery.retryNowOnNetworkReturn());

    // A renderer reload does not depend on the network; it keeps its own time.
    recovery.rendererEnded(PageRecovery::Clock::now());
    EXPECT_TRUE(recovery.retryPending());
    EXPECT_FALSE(recovery.retryNowOnNetworkReturn());
}

TEST(PageRecoveryTest, LoadFailuresAndRendererEndsKeepSeparateSchedules) {
    PageRecovery recovery;
    const auto now = PageRecovery::Clock::time_point{} + 1000h;
    recovery.loadFailed();
    recovery.loadFailed();
    EXPECT_EQ(recovery.rendererEnded(now), Delay(500));
    EXPECT_EQ(recovery.loadFailed(), Delay(8000));
    EXPECT_EQ(recovery.rendererEnded(now + 1s), Delay(1000));
}

}  // namespace
