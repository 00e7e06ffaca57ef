#pragma once

#include "viewsite/SourceHealth.h"

#include <chrono>
#include <optional>

// When the data job runs next: often while the US stock market trades, rarely
// otherwise, and after a failure again soon but never faster than the upstream asks.
namespace viewsite {

struct RefreshIntervals {
    std::chrono::seconds marketOpen{15 * 60};
    std::chrono::seconds marketClosed{60 * 60};
    std::chrono::seconds afterFailure{5 * 60};
};

// New York local time: weekday 1 (Monday) to 7 (Sunday), minutes since midnight.
// Regular trading hours, 9:30 to 16:00 on weekdays (holidays count as open: one
// refresh too many costs nothing).
bool usMarketOpen(int isoWeekday, int minuteOfDay);

// `retryAfter` is what a rate-limited upstream asked for, if anything.
std::chrono::seconds nextRefreshDelay(const RefreshIntervals& intervals, bool marketOpen, bool lastRunFailed,
                                      std::optional<std::chrono::seconds> retryAfter);

// When a dataset runs next: at its regular time after one of its sources answered;
// otherwise when the first of its resting sources may be asked again.
std::chrono::seconds delayAfterRun(const RefreshIntervals& intervals, bool marketOpen, bool answered,
                                   SourceClock::time_point nextUsableAt, SourceClock::time_point now);

}  // namespace viewsite
