#include "platform/RestackBudget.h"

namespace platform {

RestackBudget::Verdict RestackBudget::request(Clock::time_point now) {
    while (!recent_.empty() && now - recent_.front() >= period_) {
        recent_.pop_front();
    }
    if (static_cast<int>(recent_.size()) < limit_) {
        recent_.push_back(now);
        refusing_ = false;
        return Verdict::allowed;
    }
    if (refusing_) {
        return Verdict::refused;
    }
    refusing_ = true;
    return Verdict::refusedFirstTime;
}

RestackBudget::Clock::time_point RestackBudget::nextAllowed() const {
    if (static_cast<int>(recent_.size()) < limit_ || recent_.empty()) {
        return Clock::time_point::min();
    }
    return recent_.front() + period_;
}

}  // namespace platform
