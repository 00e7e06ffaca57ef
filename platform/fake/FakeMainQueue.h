#pragma once

#include "platform/MainQueue.h"
#include "platform/fake/CallRecord.h"

#include <functional>
#include <memory>
#include <vector>

namespace platform::fake {

// A main loop on a manual clock: nothing runs until the test advances time.
class FakeMainQueue : public MainQueue {
public:
    explicit FakeMainQueue(CallRecord& record) : record_(record) {}

    void asyncAfter(double seconds, std::function<void()> block) override;
    std::unique_ptr<Timer> scheduledTimer(double interval, bool repeats, std::function<void()> block) override;

    // Moves the clock forward, running every block and timer firing that falls due, in time order.
    void advance(double seconds);
    double now() const { return now_; }
    size_t pendingBlocks() const;
    size_t liveTimers() const;

private:
    struct Entry {
        double due;
        double interval;  // 0 for a one-off block
        std::function<void()> block;
        std::shared_ptr<bool> valid;
    };
    class FakeTimer;

    CallRecord& record_;
    double now_ = 0;
    std::vector<Entry> entries_;
};

}  // namespace platform::fake
