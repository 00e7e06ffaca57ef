#include "platform/gtk/GtkPlatformWindow.h"

#include "platform/ProductNames.h"
#include "platform/gtk/GtkWebView.h"
#include "platform/gtk/WindowChrome.h"

#include <gtk-layer-shell/gtk-layer-shell.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <cmath>

namespace platform::gtk {

namespace {

int pixels(double value) { return static_cast<int>(std::lround(value)); }

}  // namespace

GtkPlatformWindow::GtkPlatformWindow(const Rect& contentRect)
    : window_(retainFloating(gtk_window_new(GTK_WINDOW_TOPLEVEL))), contentRect_(contentRect) {
    GtkWindow* window = gtkWindow();
    gtk_window_set_decorated(window, FALSE);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_title(window, product::name);
    gtk_window_move(window, pixels(contentRect.x), pixels(contentRect.y));
    gtk_window_set_default_size(window, pixels(contentRect.width), pixels(contentRect.height));
    gtk_widget_set_size_request(GTK_WIDGET(window), pixels(contentRect.width), pixels(contentRect.height));
    g_signal_connect(window, "map", G_CALLBACK(&GtkPlatformWindow::onMap), this);
    // Closing by the window manager must not destroy a window the application keeps.
    g_signal_connect(window, "delete-event", G_CALLBACK(gtk_widget_hide_on_delete), nullptr);
}

GtkPlatformWindow::~GtkPlatformWindow() {
    g_signal_handlers_disconnect_by_data(window_.get(), this);
    desktopLayer_.reset();
    gtk_widget_destroy(window_.get());
}

void GtkPlatformWindow::setLevel(WindowLevel level) {
    if (level != WindowLevel::desktop) {
        return;
    }
    if (WindowChrome::layerShellAvailable()) {
        useLayerShellBackground();
        return;
    }
#ifdef GDK_WINDOWING_X11
    if (GDK_IS_X11_DISPLAY(gdk_display_get_default())) {
        desktopLayer_ = std::make_unique<X11DesktopLayer>(gtkWindow(), contentRect_);
        return;
    }
#endif
    gtk_window_set_type_hint(gtkWindow(), GDK_WINDOW_TYPE_HINT_DESKTOP);
    gtk_window_set_keep_below(gtkWindow(), TRUE);
    gtk_window_set_accept_focus(gtkWindow(), FALSE);
    gtk_window_set_focus_on_map(gtkWindow(), FALSE);
}

void GtkPlatformWindow::useLayerShellBackground() {
    GtkWindow* window = gtkWindow();
    gtk_layer_init_for_window(window);
    gtk_layer_set_namespace(window, product::programName);
    gtk_layer_set_layer(window, GTK_LAYER_SHELL_LAYER_BACKGROUND);
    for (auto edge : {GTK_LAYER_SHELL_EDGE_LEFT, GTK_LAYER_SHELL_EDGE_RIGHT, GTK_LAYER_SHELL_EDGE_TOP,
                      GTK_LAYER_SHELL_EDGE_BOTTOM}) {
        gtk_layer_set_anchor(window, edge, TRUE);
    }
    gtk_layer_set_exclusive_zone(window, -1);
    gtk_layer_set_keyboard_mode(window, GTK_LAYER_SHELL_KEYBOARD_MODE_NONE);
    if (GdkDisplay* display = gdk_display_get_default()) {
        if (GdkMonitor* monitor = gdk_display_get_primary_monitor(display)) {
            gtk_layer_set_monitor(window, monitor);
        }
    }
}

void GtkPlatformWindow::setBackgroundColor(Color color) { WindowChrome::setBackground(window_.get(), css_, color); }

void GtkPlatformWindow::setCollectionBehavior(std::uint32_t behavior) {
    if (behavior & CollectionBehavior::canJoinAllSpaces) {
        gtk_window_stick(gtkWindow());
    }
    if (behavior & CollectionBehavior::ignoresCycle) {
        gtk_window_set_skip_taskbar_hint(gtkWindow(), TRUE);
        gtk_window_set_skip_pager_hint(gtkWindow(), TRUE);
    }
}

void GtkPlatformWindow::setIgnoresMouseEvents(bool ignores) {
    ignoresMouseEvents_ = ignores;
    if (gtk_widget_get_mapped(window_.get())) {
        applyInputShape();
    }
}

void GtkPlatformWindow::onMap(GtkWidget*, gpointer self) {
    auto* window = static_cast<GtkPlatformWindow*>(self);
    window->applyInputShape();
    if (window->desktopLayer_) {
        window->desktopLayer_->windowMapped();
    }
}

void GtkPlatformWindow::applyInputShape() {
    GdkWindow* surface = gtk_widget_get_window(window_.get());
    if (surface != nullptr) {
        WindowChrome::setClickThrough(surface, ignoresMouseEvents_);
    }
}

void GtkPlatformWindow::addSubview(WebView& view) {
    auto* widget = dynamic_cast<GtkWebView&>(view).widget();
    gtk_container_add(GTK_CONTAINER(window_.get()), widget);
}

void GtkPlatformWindow::makeKeyAndOrderFront() { gtk_widget_show(window_.get()); }

void GtkPlatformWindow::orderFrontRegardless() {
    gtk_widget_show(window_.get());
    // Window managers forget "below" and "sticky" when a window is unmapped.
    if (desktopLayer_ && desktopLayer_->style() == DesktopWindowStyle::managedDesktopType) {
        gtk_window_set_keep_below(gtkWindow(), TRUE);
    }
}

void GtkPlatformWindow::orderOut() { gtk_widget_hide(window_.get()); }

void GtkPlatformWindow::onHiddenByIconDesktop(std::function<void(const IconDesktopSighting&)> hidden) {
    // Only an X11 desktop has icon programs that paint over the wallpaper.
    if (desktopLayer_) {
        desktopLayer_->onHiddenByIconDesktop(std::move(hidden));
    }
}

}  // namespace platform::gtk
