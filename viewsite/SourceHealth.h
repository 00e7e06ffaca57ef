#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

// How one upstream source is doing. A source that refuses is left alone for as long as
// it asked (Retry-After), or else for a pause that doubles with each refusal in a row;
// neither ever exceeds the longest ban its provider documents, so a source that recovers
// is found again.
namespace viewsite {

using SourceClock = std::chrono::steady_clock;

enum class Refusal {
    none,
    refused,      // 401 or 403: the provider will not serve this client
    blocked,      // 451: not served in this location
    rateLimited,  // 429 or 418
    wrongFormat,  // an answer, but not the data (an HTML page in a 200, a cut-off list,
                  // too big, sent to another host)
    unavailable,  // no answer at all, or a server error
};

struct Verdict {
    Refusal refusal = Refusal::none;
    std::string reason;  // for the log: "HTTP status 403", "an HTML page"
};

// The kind of refusal an HTTP status means; `none` for 200.
Refusal refusalForStatus(int status);

// What a 200 answer whose data could not be read was instead.
std::string describeUnreadableBody(std::string_view body);

struct BackoffPolicy {
    std::chrono::seconds first{5 * 60};
    std::chrono::seconds longest{24 * 60 * 60};
};

class SourceHealth {
public:
    bool usable(SourceClock::time_point now) const { return now >= skippedUntil_; }
    SourceClock::time_point skippedUntil() const { return skippedUntil_; }
    int refusalsInARow() const { return refusalsInARow_; }

    void answered();
    // Takes back what an earlier run of the job knew (its pause and refusals in a row).
    void restore(SourceClock::time_point skippedUntil, int refusalsInARow);
    // Returns how long the source is now skipped. A source that gave no answer at all
    // (`answered` false: offline, a name that does not resolve, a timeout) gets the first
    // pause each time: a night offline must not leave it resting for hours once back.
    std::chrono::seconds refused(std::optional<std::chrono::seconds> retryAfter, SourceClock::time_point now,
                                 const BackoffPolicy& policy, bool answered = true);

private:
    SourceClock::time_point skippedUntil_{};
    int refusalsInARow_ = 0;
};

}  // namespace viewsite
