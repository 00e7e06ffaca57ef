#pragma once

#include <chrono>

namespace platform {

// Delays between attempts that grow by a factor from a first delay up to a cap:
// quick when a fault is brief, patient (and cheap) when it lasts all day.
class RetryBackoff {
public:
    using Delay = std::chrono::milliseconds;

    RetryBackoff(Delay first, Delay cap, unsigned factor = 2);

    // The delay before the next attempt; each call moves one step further.
    Delay next();
    // The delay next() would give, without moving.
    Delay peek() const { return current_; }
    // Back to the first delay: the fault is over.
    void reset() { current_ = first_; }

private:
    Delay first_;
    Delay cap_;
    unsigned factor_;
    Delay current_;
};

}  // namespace platform
