#include "viewsite/SourceHealth.h"

#include <algorithm>

namespace viewsite {

Refusal refusalForStatus(int status) {
    switch (status) {
    case 200: return Refusal::none;
    case 401:
    case 403: return Refusal::refused;
    case 451: return Refusal::blocked;
    case 418:
    case 429: return Refusal::rateLimited;
    default: return Refusal::unavailable;
    }
}

std::string describeUnreadableBody(std::string_view body) {
    const size_t first = body.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return "an empty answer";
    }
    return body[first] == '<' ? "an HTML page" : "a malformed answer";
}

void SourceHealth::answered() {
    refusalsInARow_ = 0;
    skippedUntil_ = {};
}

void SourceHealth::restore(SourceClock::time_point skippedUntil, int refusalsInARow) {
    skippedUntil_ = skippedUntil;
    refusalsInARow_ = std::max(0, refusalsInARow);
}

std::chrono::seconds SourceHealth::refused(std::optional<std::chrono::seconds> retryAfter, SourceClock::time_point now,
                                           const BackoffPolicy& policy, bool answered) {
    if (answered) {
        ++refusalsInARow_;
    }
    const int doublings = answered ? refusalsInARow_ - 1 : 0;
    std::chrono::seconds pause = std::max(policy.first, std::chrono::seconds(1));
    for (int i = 0; i < doublings && pause < policy.longest; ++i) {
        pause *= 2;
    }
    if (retryAfter) {
        // The provider's own word beats our guess, in both directions.
        pause = std::max(*retryAfter, std::chrono::seconds(1));
    }
    pause = std::min(pause, policy.longest);
    skippedUntil_ = now + pause;
    return pause;
}

}  // namespace viewsite
