#include "platform/RetryBackoff.h"

#include <algorithm>

namespace platform {

RetryBackoff::RetryBackoff(Delay first, Delay cap, unsigned factor)
    : first_(std::min(first, cap)), cap_(cap), factor_(std::max(factor, 1u)), current_(first_) {}

RetryBackoff::Delay RetryBackoff::next() {
    const Delay delay = current_;
    // Saturate at the cap instead of multiplying on: a long outage never overflows.
    current_ = current_ >= cap_ / factor_ ? cap_ : current_ * factor_;
    return delay;
}

}  // namespace platform
