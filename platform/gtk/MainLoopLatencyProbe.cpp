#include "platform/gtk/MainLoopLatencyProbe.h"

#include "platform/Log.h"

#include <cstdlib>
#include <string>

namespace platform::gtk {

namespace {

constexpr guint tickMilliseconds = 5;
// Shorter stalls are only counted, not logged as they happen.
constexpr std::int64_t reportedFromMicroseconds = 20000;

std::string milliseconds(std::int64_t microseconds) { return std::to_string(microseconds / 1000) + " ms"; }

}  // namespace

MainLoopLatencyProbe::MainLoopLatencyProbe() {
    if (std::getenv(variable) == nullptr) {
        return;
    }
    lastTick_ = g_get_monotonic_time();
    source_ = g_timeout_add_full(G_PRIORITY_HIGH, tickMilliseconds, &MainLoopLatencyProbe::onTick, this, nullptr);
}

MainLoopLatencyProbe::~MainLoopLatencyProbe() {
    if (source_ == 0) {
        return;
    }
    g_source_remove(source_);
    systemLog("⏱️ Longest main-loop stall: " + milliseconds(longest_));
}

gboolean MainLoopLatencyProbe::onTick(gpointer data) {
    auto* self = static_cast<MainLoopLatencyProbe*>(data);
    const std::int64_t now = g_get_monotonic_time();
    const std::int64_t stall = now - self->lastTick_ - static_cast<std::int64_t>(tickMilliseconds) * 1000;
    self->lastTick_ = now;
    if (stall > self->longest_) {
        self->longest_ = stall;
        if (stall >= reportedFromMicroseconds) {
            systemLog("⏱️ Main-loop stall: " + milliseconds(stall));
        }
    }
    return G_SOURCE_CONTINUE;
}

}  // namespace platform::gtk
