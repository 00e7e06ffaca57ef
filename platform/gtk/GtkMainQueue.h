#pragma once

#include "platform/MainQueue.h"

namespace platform::gtk {

// Deferred work as GLib main-loop timeouts.
class GtkMainQueue : public MainQueue {
public:
    void asyncAfter(double seconds, std::function<void()> block) override;
    std::unique_ptr<Timer> scheduledTimer(double interval, bool repeats, std::function<void()> block) override;
};

}  // namespace platform::gtk
