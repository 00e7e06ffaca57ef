#include "host/EmbeddedWindow.h"

#include "platform/ProductNames.h"
#include "platform/gtk/GtkWebView.h"
#include "platform/gtk/WindowChrome.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace host {

namespace {

struct TargetGeometry {
    platform::Rect frame;
    bool ok = false;
};

TargetGeometry lookUpTarget(GdkDisplay* display, ::Window xid) {
    Display* xdisplay = GDK_DISPLAY_XDISPLAY(display);
    gdk_x11_display_error_trap_push(display);
    XWindowAttributes attributes{};
    const Status found = XGetWindowAttributes(xdisplay, xid, &attributes);
    int rootX = 0;
    int rootY = 0;
    ::Window child = 0;
    if (found != 0) {
        XTranslateCoordinates(xdisplay, xid, attributes.root, 0, 0, &rootX, &rootY, &child);
    }
    const bool failed = gdk_x11_display_error_trap_pop(display) != 0 || found == 0;
    if (failed) {
        return {};
    }
    return {platform::Rect{static_cast<double>(rootX), static_cast<double>(rootY),
                           static_cast<double>(attributes.width), static_cast<double>(attributes.height)},
            true};
}

std::string hex(std::uint64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace

std::variant<std::unique_ptr<EmbeddedWindow>, std::string> EmbeddedWindow::attach(std::uint64_t xid) {
    GdkDisplay* display = gdk_display_get_default();
    if (display == nullptr || !GDK_IS_X11_DISPLAY(display)) {
        return std::string("A window id needs an X11 display");
    }
    const auto geometry = lookUpTarget(display, static_cast<::Window>(xid));
    if (!geometry.ok) {
        return "No such window: " + hex(xid);
    }
    GdkWindow* root = gdk_get_default_root_window();
    GdkWindow* target = nullptr;
    if (static_cast<::Window>(xid) == GDK_WINDOW_XID(root)) {
        target = static_cast<GdkWindow*>(g_object_ref(root));
    } else {
        gdk_x11_display_error_trap_push(display);
        target = gdk_x11_window_foreign_new_for_display(display, static_cast<::Window>(xid));
        gdk_x11_display_error_trap_pop_ignored(display);
    }
    if (target == nullptr) {
        return "No such window: " + hex(xid);
    }
    return std::unique_ptr<EmbeddedWindow>(new EmbeddedWindow(target, geometry.frame));
}

std::variant<std::unique_ptr<EmbeddedWindow>, std::string> EmbeddedWindow::attachToRoot() {
    GdkDisplay* display = gdk_display_get_default();
    if (display == nullptr || !GDK_IS_X11_DISPLAY(display)) {
        return std::string("The root window needs an X11 display");
    }
    return attach(GDK_WINDOW_XID(gdk_get_default_root_window()));
}

EmbeddedWindow::EmbeddedWindow(GdkWindow* target, const platform::Rect& frame)
    : target_(target), window_(platform::gtk::retainFloating(gtk_window_new(GTK_WINDOW_POPUP))), frame_(frame) {
    // Structure events only: size and destruction. Button and key events on another
    // client's window can be selected by one client alone.
    if (target_.get() != gdk_get_default_root_window()) {
        gdk_window_set_events(target_.get(), GDK_STRUCTURE_MASK);
    }
    gdk_window_add_filter(target_.get(), &EmbeddedWindow::filterTargetEvents, this);

    GtkWindow* window = GTK_WINDOW(window_.get());
    gtk_window_set_title(window, product::screenSaverName);
    gtk_window_set_default_size(window, static_cast<int>(frame.width), static_cast<int>(frame.height));
    gtk_widget_set_size_request(window_.get(), static_cast<int>(frame.width), static_cast<int>(frame.height));
    g_signal_connect(window_.get(), "destroy-event", G_CALLBACK(&EmbeddedWindow::onOwnWindowDestroyed), this);
    gtk_widget_realize(window_.get());

    GdkWindow* own = gtk_widget_get_window(window_.get());
    // Input goes to the target: its owner decides what a click or a key means.
    platform::gtk::WindowChrome::setClickThrough(own, true);

    GdkDisplay* display = gdk_window_get_display(own);
    gdk_x11_display_error_trap_push(display);
    XReparentWindow(GDK_DISPLAY_XDISPLAY(display), GDK_WINDOW_XID(own), GDK_WINDOW_XID(target_.get()), 0, 0);
    gdk_x11_display_error_trap_pop_ignored(display);
    gtk_window_move(window, 0, 0);
}

bool EmbeddedWindow::isAnotherClientsWindow() const { return target_.get() != gdk_get_default_root_window(); }

EmbeddedWindow::~EmbeddedWindow() {
    gdk_window_remove_filter(target_.get(), &EmbeddedWindow::filterTargetEvents, this);
    g_signal_handlers_disconnect_by_data(window_.get(), this);
    gtk_widget_destroy(window_.get());
}

void EmbeddedWindow::setBackgroundColor(platform::Color color) {
    platform::gtk::WindowChrome::setBackground(window_.get(), css_, color);
}

void EmbeddedWindow::addSubview(platform::WebView& view) {
    gtk_container_add(GTK_CONTAINER(window_.get()), dynamic_cast<platform::gtk::GtkWebView&>(view).widget());
}

void EmbeddedWindow::makeKeyAndOrderFront() {
    if (!gone_) {
        gtk_widget_show(window_.get());
    }
}

void EmbeddedWindow::orderOut() {
    if (!gone_) {
        gtk_widget_hide(window_.get());
    }
}

GdkFilterReturn EmbeddedWindow::filterTargetEvents(GdkXEvent* xevent, GdkEvent*, gpointer data) {
    auto* self = static_cast<EmbeddedWindow*>(data);
    const auto* event = static_cast<const XEvent*>(xevent);
    const ::Window target = GDK_WINDOW_XID(self->target_.get());
    if (event->type == DestroyNotify && event->xdestroywindow.window == target) {
        self->targetGone();
    } else if (event->type == ConfigureNotify && event->xconfigure.window == target) {
        self->followSize(event->xconfigure.width, event->xconfigure.height);
    }
    return GDK_FILTER_CONTINUE;
}

gboolean EmbeddedWindow::onOwnWindowDestroyed(GtkWidget*, GdkEvent*, gpointer self) {
    // Our window goes with its parent, before the parent's own notice arrives. Handled
    // here, so that GTK does not tear down the widgets the screen saver still holds.
    static_cast<EmbeddedWindow*>(self)->targetGone();
    return TRUE;
}

void EmbeddedWindow::targetGone() {
    if (gone_) {
        return;
    }
    gone_ = true;
    if (onTargetGone_) {
        onTargetGone_();
    }
}

void EmbeddedWindow::followSize(int width, int height) {
    if (gone_ || width <= 0 || height <= 0) {
        return;
    }
    frame_.width = width;
    frame_.height = height;
    gtk_widget_set_size_request(window_.get(), width, height);
    gtk_window_resize(GTK_WINDOW(window_.get()), width, height);
}

}  // namespace host
