#pragma once

#include <glib.h>

#include <cstdint>

namespace platform::gtk {

// Measures how long the main loop is kept from its work: with TAVELO_MAIN_LOOP_PROBE
// set, a high-priority timeout fires every few milliseconds and compares when it ran
// with when it was due. Every new longest stall from 20 ms up is logged as it happens,
// and the longest of all when the probe ends. Without the variable it does nothing.
class MainLoopLatencyProbe {
public:
    static constexpr const char* variable = "TAVELO_MAIN_LOOP_PROBE";

    MainLoopLatencyProbe();
    ~MainLoopLatencyProbe();
    MainLoopLatencyProbe(const MainLoopLatencyProbe&) = delete;
    MainLoopLatencyProbe& operator=(const MainLoopLatencyProbe&) = delete;

private:
    static gboolean onTick(gpointer self);

    guint source_ = 0;
    std::int64_t lastTick_ = 0;
    std::int64_t longest_ = 0;
};

}  // namespace platform::gtk
