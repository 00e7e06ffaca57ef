#pragma once

#include "platform/Rect.h"

#include <gdk/gdk.h>

#include <optional>

namespace platform::gtk {

// The primary monitor, or the first one where the session names none as primary.
GdkMonitor* primaryOrFirstMonitor(GdkDisplay* display);

// A monitor's rectangle in global coordinates; nothing for no monitor or an empty one.
std::optional<Rect> frameOfMonitor(GdkMonitor* monitor);

}  // namespace platform::gtk
