#include "platform/gtk/WindowChrome.h"

#include <gtk-layer-shell/gtk-layer-shell.h>
#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#endif

namespace platform::gtk::WindowChrome {

void setBackground(GtkWidget* window, GObjectPtr<GtkCssProvider>& provider, Color color) {
    provider = adoptGObject(gtk_css_provider_new());
    const char* css =
        color == Color::black ? "window { background-color: #000000; }" : "window { background-color: transparent; }";
    gtk_css_provider_load_from_data(provider.get(), css, -1, nullptr);
    gtk_style_context_add_provider(gtk_widget_get_style_context(window), GTK_STYLE_PROVIDER(provider.get()),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

void setClickThrough(GdkWindow* surface, bool clickThrough) {
    if (!clickThrough) {
        gdk_window_input_shape_combine_region(surface, nullptr, 0, 0);
        return;
    }
    cairo_region_t* nothing = cairo_region_create();
    gdk_window_input_shape_combine_region(surface, nothing, 0, 0);
    cairo_region_destroy(nothing);
}

bool layerShellAvailable() {
#ifdef GDK_WINDOWING_WAYLAND
    return GDK_IS_WAYLAND_DISPLAY(gdk_display_get_default()) && gtk_layer_is_supported();
#else
    return false;
#endif
}

}  // namespace platform::gtk::WindowChrome
