#pragma once

#include "platform/Window.h"
#include "platform/gtk/GObjectPtr.h"

#include <gtk/gtk.h>

namespace platform::gtk {

// What the windows that show a live view have in common, whoever made the window
// around them: the wallpaper's own window and the screen-saver host's window inside
// XScreenSaver's.
namespace WindowChrome {

// Paints the window's background black or leaves it transparent, through a style
// provider kept in `provider` (the window's own; each call replaces it).
void setBackground(GtkWidget* window, GObjectPtr<GtkCssProvider>& provider, Color color);

// With an empty input shape every click and scroll goes to what lies below the
// window; without, the window takes its input again.
void setClickThrough(GdkWindow* surface, bool clickThrough);

// Whether the display is a Wayland one whose compositor offers layer shell, where a
// window can be put on the background layer.
bool layerShellAvailable();

}  // namespace WindowChrome

}  // namespace platform::gtk
