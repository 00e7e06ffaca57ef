#include "platform/gtk/GtkTitledWindow.h"

#include "platform/ContentView.h"
#include "platform/gtk/GtkWidgetHolder.h"

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform::gtk {

namespace {

std::vector<GtkTitledWindow*>& liveWindows() {
    static std::vector<GtkTitledWindow*> windows;
    return windows;
}

}  // namespace

void presentWithServerTime(GtkWindow* window) {
    gtk_widget_realize(GTK_WIDGET(window));
    guint32 timestamp = GDK_CURRENT_TIME;
#ifdef GDK_WINDOWING_X11
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window));
    if (gdkWindow != nullptr && GDK_IS_X11_WINDOW(gdkWindow)) {
        timestamp = gdk_x11_get_server_time(gdkWindow);
    }
#endif
    gtk_window_present_with_time(window, timestamp);
}

void activateTitledWindows() {
    for (auto* window : liveWindows()) {
        if (window->isVisible()) {
            presentWithServerTime(window->gtkWindow());
        }
    }
}

GtkTitledWindow::GtkTitledWindow() : window_(retainFloating(gtk_window_new(GTK_WINDOW_TOPLEVEL))) {
    g_signal_connect(window_.get(), "delete-event", G_CALLBACK(&GtkTitledWindow::onDelete), this);
    liveWindows().push_back(this);
}

GtkTitledWindow::~GtkTitledWindow() {
    auto& windows = liveWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
    g_signal_handlers_disconnect_by_data(window_.get(), this);
    gtk_widget_destroy(window_.get());
}

void GtkTitledWindow::setContentView(ContentView& content) {
    if (GtkWidget* old = gtk_bin_get_child(GTK_BIN(window_.get()))) {
        gtk_container_remove(GTK_CONTAINER(window_.get()), old);
    }
    GtkWidget* child = gtkWidgetOf(content);
    gtk_container_add(GTK_CONTAINER(window_.get()), child);
    gtk_widget_show(child);
}

void GtkTitledWindow::setTitle(std::string_view title) {
    gtk_window_set_title(gtkWindow(), std::string(title).c_str());
}

void GtkTitledWindow::setStyleMask(std::uint32_t style) {
    gtk_window_set_resizable(gtkWindow(), (style & WindowStyle::resizable) ? TRUE : FALSE);
    gtk_window_set_deletable(gtkWindow(), (style & WindowStyle::closable) ? TRUE : FALSE);
}

void GtkTitledWindow::setContentSize(double width, double height) {
    const int w = static_cast<int>(std::lround(width));
    const int h = static_cast<int>(std::lround(height));
    gtk_window_set_default_size(gtkWindow(), w, h);
    if (GtkWidget* child = gtk_bin_get_child(GTK_BIN(window_.get()))) {
        gtk_widget_set_size_request(child, w, h);
    }
}

void GtkTitledWindow::setReleasedWhenClosed(bool released) { releasedWhenClosed_ = released; }

void GtkTitledWindow::center() {
    lastPosition_.reset();
    gtk_window_set_position(gtkWindow(), GTK_WIN_POS_CENTER);
}

gboolean GtkTitledWindow::onDelete(GtkWidget*, GdkEvent*, gpointer data) {
    auto* self = static_cast<GtkTitledWindow*>(data);
    if (self->releasedWhenClosed_) {
        return FALSE;  // GTK destroys the window
    }
    self->orderOut();
    return TRUE;
}

void GtkTitledWindow::rememberPosition() {
    int x = 0;
    int y = 0;
    gtk_window_get_position(gtkWindow(), &x, &y);
    lastPosition_ = {x, y};
}

void GtkTitledWindow::makeKeyAndOrderFront() {
    if (lastPosition_ && !gtk_widget_get_visible(window_.get())) {
        // Brought back where it was closed, not centred again.
        gtk_window_set_position(gtkWindow(), GTK_WIN_POS_NONE);
        gtk_window_move(gtkWindow(), lastPosition_->first, lastPosition_->second);
    }
    presentWithServerTime(gtkWindow());
}

void GtkTitledWindow::orderOut() {
    if (gtk_widget_get_visible(window_.get())) {
        rememberPosition();
    }
    gtk_widget_hide(window_.get());
}

bool GtkTitledWindow::isVisible() const { return gtk_widget_get_visible(window_.get()); }

}  // namespace platform::gtk
