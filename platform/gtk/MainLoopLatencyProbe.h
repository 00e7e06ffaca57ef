#pragma once

#include <glib.h>

#include <chrono>
#include <cstdint>

namespace platform::gtk {

// Measures how long the main loop is kept from its work: with TAVELO_MAIN_LOOP_PROBE
// set, a high-priority timeout fires every few milliseconds and compares when it ran
// with when it was due. Part of a stall may be the machine's, not the program's: time
// the main thread was ready to run but waited for a CPU (the kernel counts it, in
// /proc's schedstat) is told apart. Every new longest stall from 20 ms up is logged as
// it happens, and the longest of all when the probe ends. It starts once launching has
// built the windows, in one go that it only reports. Without the variable it does nothing.
class MainLoopLatencyProbe {
public:
    static constexpr const char* variable = "TAVELO_MAIN_LOOP_PROBE";

    explicit MainLoopLatencyProbe(std::chrono::microseconds launching);
    ~MainLoopLatencyProbe();
    MainLoopLatencyProbe(const MainLoopLatencyProbe&) = delete;
    MainLoopLatencyProbe& operator=(const MainLoopLatencyProbe&) = delete;

private:
    static gboolean onTick(gpointer self);

    guint source_ = 0;
    std::int64_t lastTick_ = 0;
    std::int64_t lastWaitForCPU_ = 0;
    // The longest stall, and the longest once the wait for a CPU is taken out (microseconds).
    std::int64_t longest_ = 0;
    std::int64_t longestHeld_ = 0;
};

}  // namespace platform::gtk
