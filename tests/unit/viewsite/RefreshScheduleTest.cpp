#include "viewsite/RefreshSchedule.h"

#include <gtest/gtest.h>

using namespace viewsite;
using std::chrono::seconds;

namespace {

TEST(RefreshSchedule, RegularTradingHoursOnWeekdays) {
    EXPECT_FALSE(usMarketOpen(1, 9 * 60 + 29));
    EXPECT_TRUE(usMarketOpen(1, 9 * 60 + 30));
    EXPECT_TRUE(usMarketOpen(5, 15 * 60 + 59));
    EXPECT_FALSE(usMarketOpen(5, 16 * 60));
    EXPECT_FALSE(usMarketOpen(6, 12 * 60));
    EXPECT_FALSE(usMarketOpen(7, 12 * 60));
}

TEST(RefreshSchedule, EveryFifteenMinutesWhileOpenHourlyOtherwise) {
    const RefreshIntervals intervals;
    EXPECT_EQ(nextRefreshDelay(intervals, true, false, std::nullopt), seconds(15 * 60));
    EXPECT_EQ(nextRefreshDelay(intervals, false, false, std::nullopt), seconds(60 * 60));
}

TEST(RefreshSchedule, AFailureRetriesSoonerButNeverBeforeTheUpstreamAllows) {
    const RefreshIntervals intervals;
    EXPECT_EQ(nextRefreshDelay(intervals, false, true, std::nullopt), seconds(5 * 60));
    EXPECT_EQ(nextRefreshDelay(intervals, false, true, seconds(30 * 60)), seconds(30 * 60));
    EXPECT_EQ(nextRefreshDelay(intervals, true, true, seconds(10)), seconds(5 * 60));
    // A pause asked for is a pause, not the end of all data.
    EXPECT_EQ(nextRefreshDelay(intervals, true, true, seconds(365L * 24 * 3600)), seconds(6 * 60 * 60));
    EXPECT_EQ(nextRefreshDelay(RefreshIntervals{seconds(0), seconds(0), seconds(0)}, true, false, std::nullopt),
              seconds(1));
}

}  // namespace
