#pragma once

#include <functional>
#include <memory>

namespace platform {

// A timer on the main loop. Invalidating it (or destroying it) stops every later firing.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void invalidate() = 0;
};

// Deferred work on the main thread's loop.
class MainQueue {
public:
    virtual ~MainQueue() = default;
    virtual void asyncAfter(double seconds, std::function<void()> block) = 0;
    virtual std::unique_ptr<Timer> scheduledTimer(double interval, bool repeats, std::function<void()> block) = 0;
};

}  // namespace platform
