#include "platform/gtk/MonitorGeometry.h"

namespace platform::gtk {

GdkMonitor* primaryOrFirstMonitor(GdkDisplay* display) {
    if (display == nullptr) {
        return nullptr;
    }
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (monitor == nullptr && gdk_display_get_n_monitors(display) > 0) {
        monitor = gdk_display_get_monitor(display, 0);
    }
    return monitor;
}

std::optional<Rect> frameOfMonitor(GdkMonitor* monitor) {
    if (monitor == nullptr) {
        return std::nullopt;
    }
    GdkRectangle geometry{};
    gdk_monitor_get_geometry(monitor, &geometry);
    if (geometry.width <= 0 || geometry.height <= 0) {
        return std::nullopt;
    }
    return Rect{static_cast<double>(geometry.x), static_cast<double>(geometry.y), static_cast<double>(geometry.width),
                static_cast<double>(geometry.height)};
}

}  // namespace platform::gtk
