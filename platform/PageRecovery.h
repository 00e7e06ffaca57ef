#pragma once

#include "platform/RetryBackoff.h"

#include <chrono>
#include <optional>

namespace platform {

// Decides when a web view that shows an unattended page (the wallpaper, the screen
// saver) tries again: after its web process ended, and after a load that failed.
// It holds no timers; the web view asks it for a delay and schedules the attempt.
class PageRecovery {
public:
    using Clock = std::chrono::steady_clock;
    using Delay = RetryBackoff::Delay;

    // Renderer ends at least this far apart are unrelated: the schedule starts over.
    static constexpr std::chrono::seconds rendererSettledAfter{60};

    PageRecovery();

    // A page was asked for (a new one, or the same one again by the user): earlier
    // failures say nothing about it.
    void pageRequested();
    // The page loaded: the next failure is a fresh one.
    void loadSucceeded();
    // The load failed (unreachable site, error status, timeout): the delay before
    // trying again. A retry is pending until retryStarted().
    Delay loadFailed();
    // The web process ended while showing the page: the delay before reloading.
    Delay rendererEnded(Clock::time_point now);
    // The pending retry has been started.
    void retryStarted() { retryPending_ = false; }
    // The network came back: whether the pending retry should run now, not later.
    bool retryNowOnNetworkReturn() const { return retryPending_ && waitingForLoad_; }

    bool retryPending() const { return retryPending_; }

private:
    RetryBackoff loadBackoff_;
    RetryBackoff rendererBackoff_;
    std::optional<Clock::time_point> lastRendererEnd_;
    bool retryPending_ = false;
    // The pending retry follows a failed load (not a renderer end).
    bool waitingForLoad_ = false;
};

}  // namespace platform
