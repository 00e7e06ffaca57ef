#include "platform/gtk/MainLoopLatencyProbe.h"

#include "platform/Log.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

namespace platform::gtk {

namespace {

constexpr guint tickMilliseconds = 5;
// Shorter stalls are only counted, not logged as they happen.
constexpr std::int64_t reportedFromMicroseconds = 20000;

std::string milliseconds(std::int64_t microseconds) { return std::to_string(microseconds / 1000) + " ms"; }

// How long this thread has waited, ready to run, for a CPU (microseconds): the second
// field of its schedstat. 0 where the kernel does not count it.
std::int64_t waitedForCPU() {
    std::ifstream schedstat("/proc/thread-self/schedstat");
    std::int64_t onCPU = 0;
    std::int64_t waiting = 0;
    return schedstat >> onCPU >> waiting ? waiting / 1000 : 0;
}

}  // namespace

MainLoopLatencyProbe::MainLoopLatencyProbe(std::chrono::microseconds launching) {
    if (std::getenv(variable) == nullptr) {
        return;
    }
    systemLog("⏱️ Launching held the main loop for " + milliseconds(launching.count()));
    lastTick_ = g_get_monotonic_time();
    lastWaitForCPU_ = waitedForCPU();
    source_ = g_timeout_add_full(G_PRIORITY_HIGH, tickMilliseconds, &MainLoopLatencyProbe::onTick, this, nullptr);
}

MainLoopLatencyProbe::~MainLoopLatencyProbe() {
    if (source_ == 0) {
        return;
    }
    g_source_remove(source_);
    systemLog("⏱️ Longest main-loop stall: " + milliseconds(longest_) +
              "; without waiting for a CPU: " + milliseconds(longestHeld_));
}

gboolean MainLoopLatencyProbe::onTick(gpointer data) {
    auto* self = static_cast<MainLoopLatencyProbe*>(data);
    const std::int64_t now = g_get_monotonic_time();
    const std::int64_t waited = waitedForCPU();
    const std::int64_t stall = now - self->lastTick_ - static_cast<std::int64_t>(tickMilliseconds) * 1000;
    const std::int64_t held = stall - (waited - self->lastWaitForCPU_);
    self->lastTick_ = now;
    self->lastWaitForCPU_ = waited;
    const bool longer = stall > self->longest_ || held > self->longestHeld_;
    self->longest_ = std::max(self->longest_, stall);
    self->longestHeld_ = std::max(self->longestHeld_, held);
    if (longer && stall >= reportedFromMicroseconds) {
        systemLog("⏱️ Main-loop stall: " + milliseconds(stall) +
                  "; without waiting for a CPU: " + milliseconds(held));
    }
    return G_SOURCE_CONTINUE;
}

}  // namespace platform::gtk
