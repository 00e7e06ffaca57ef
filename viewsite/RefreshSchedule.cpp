#include "viewsite/RefreshSchedule.h"

#include <algorithm>

namespace viewsite {

namespace {
constexpr std::chrono::seconds maximumPause{6 * 60 * 60};
}  // namespace

bool usMarketOpen(int isoWeekday, int minuteOfDay) {
    return isoWeekday >= 1 && isoWeekday <= 5 && minuteOfDay >= 9 * 60 + 30 && minuteOfDay < 16 * 60;
}

std::chrono::seconds nextRefreshDelay(const RefreshIntervals& intervals, bool marketOpen, bool lastRunFailed,
                                      std::optional<std::chrono::seconds> retryAfter) {
    const std::chrono::seconds regular = marketOpen ? intervals.marketOpen : intervals.marketClosed;
    std::chrono::seconds delay = lastRunFailed ? std::min(intervals.afterFailure, regular) : regular;
    if (retryAfter) {
        // An upstream may ask for a pause, not for the data to stop for good.
        delay = std::max(delay, std::min(*retryAfter, maximumPause));
    }
    return std::max(delay, std::chrono::seconds(1));
}

std::chrono::seconds delayAfterRun(const RefreshIntervals& intervals, bool marketOpen, bool answered,
                                   SourceClock::time_point nextUsableAt, SourceClock::time_point now) {
    if (answered) {
        return nextRefreshDelay(intervals, marketOpen, false, std::nullopt);
    }
    return std::max(std::chrono::ceil<std::chrono::seconds>(nextUsableAt - now), std::chrono::seconds(1));
}

}  // namespace viewsite
