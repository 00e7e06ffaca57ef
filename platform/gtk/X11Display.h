#pragma once

#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace platform::gtk {

// The X connection GDK opened for the default display.
inline Display* xdisplay() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }

}  // namespace platform::gtk
