#pragma once

#include <chrono>
#include <deque>

namespace platform {

// How often the wallpaper may restack itself. A program that also insists on the
// bottom of the stack (another wallpaper, say) would otherwise make the two restack
// each other without end; past the budget the wallpaper yields until the period has
// passed since its oldest restack.
class RestackBudget {
public:
    using Clock = std::chrono::steady_clock;

    enum class Verdict {
        allowed,
        refused,           // the budget is spent
        refusedFirstTime,  // the budget is spent, for the first time since the last allowed restack
    };

    RestackBudget(int limit, Clock::duration period) : limit_(limit), period_(period) {}

    // Whether a restack at `now` may go ahead; an allowed one is counted.
    Verdict request(Clock::time_point now);

    // When the next restack will be allowed again.
    Clock::time_point nextAllowed() const;

private:
    int limit_;
    Clock::duration period_;
    std::deque<Clock::time_point> recent_;
    bool refusing_ = false;
};

}  // namespace platform
