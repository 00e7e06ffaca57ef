#include "platform/fake/FakeMainQueue.h"

#include <algorithm>
#include <cstdio>

namespace platform::fake {

class FakeMainQueue::FakeTimer : public Timer {
public:
    explicit FakeTimer(std::shared_ptr<bool> valid) : valid_(std::move(valid)) {}
    ~FakeTimer() override { invalidate(); }
    void invalidate() override { *valid_ = false; }

private:
    std::shared_ptr<bool> valid_;
};

namespace {
std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}
}  // namespace

void FakeMainQueue::asyncAfter(double delay, std::function<void()> block) {
    record_.add("mainQueue.asyncAfter " + seconds(delay));
    entries_.push_back({now_ + delay, 0, std::move(block), std::make_shared<bool>(true)});
}

std::unique_ptr<Timer> FakeMainQueue::scheduledTimer(double interval, bool repeats, std::function<void()> block) {
    record_.add("mainQueue.scheduledTimer " + seconds(interval) + (repeats ? " repeating" : " once"));
    auto valid = std::make_shared<bool>(true);
    entries_.push_back({now_ + interval, repeats ? interval : 0, std::move(block), valid});
    return std::make_unique<FakeTimer>(valid);
}

void FakeMainQueue::advance(double delta) {
    const double end = now_ + delta;
    for (;;) {
        std::erase_if(entries_, [](const Entry& e) { return !*e.valid; });
        auto next = std::min_element(entries_.begin(), entries_.end(),
                                     [](const Entry& a, const Entry& b) { return a.due < b.due; });
        if (next == entries_.end() || next->due > end + 1e-9) {
            break;
        }
        now_ = next->due;
        auto block = next->block;
        if (next->interval > 0) {
            next->due += next->interval;
        } else {
            *next->valid = false;
        }
        block();
    }
    now_ = end;
}

size_t FakeMainQueue::pendingBlocks() const {
    return std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return *e.valid && e.interval == 0; });
}

size_t FakeMainQueue::liveTimers() const {
    return std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return *e.valid && e.interval > 0; });
}

}  // namespace platform::fake
