#include "platform/gtk/X11CompositorWatch.h"

#include "platform/Log.h"
#include "platform/gtk/X11Display.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <gdk/gdkx.h>

#include <string>

namespace platform::gtk {

namespace {

// Long enough for a compositor that has just taken the selection to look at the
// windows already on the screen; short enough to draw again well within 2 s.
constexpr guint settleMilliseconds = 400;

}  // namespace

X11CompositorWatch::X11CompositorWatch(GtkWindow* window) : window_(window) {
    int errorBase = 0;
    if (XFixesQueryExtension(xdisplay(), &xfixesEventBase_, &errorBase) == 0) {
        xfixesEventBase_ = -1;
        return;
    }
    GdkScreen* screen = gtk_window_get_screen(window_);
    const std::string name = "_NET_WM_CM_S" + std::to_string(gdk_x11_screen_get_screen_number(screen));
    selection_ = gdk_x11_get_xatom_by_name_for_display(gdk_display_get_default(), name.c_str());
    owner_ = XGetSelectionOwner(xdisplay(), selection_);
    root_ = gdk_screen_get_root_window(screen);
    XFixesSelectSelectionInput(xdisplay(), GDK_WINDOW_XID(root_), selection_,
                               XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
    gdk_window_add_filter(root_, &X11CompositorWatch::onRootEvent, this);
}

X11CompositorWatch::~X11CompositorWatch() {
    if (root_ != nullptr) {
        gdk_window_remove_filter(root_, &X11CompositorWatch::onRootEvent, this);
    }
    if (pendingDraw_ != 0) {
        g_source_remove(pendingDraw_);
    }
}

GdkFilterReturn X11CompositorWatch::onRootEvent(GdkXEvent* xevent, GdkEvent*, gpointer self) {
    const auto* event = static_cast<XEvent*>(xevent);
    auto* watch = static_cast<X11CompositorWatch*>(self);
    if (event->type != watch->xfixesEventBase_ + XFixesSelectionNotify) {
        return GDK_FILTER_CONTINUE;
    }
    const auto* notify = reinterpret_cast<const XFixesSelectionNotifyEvent*>(event);
    if (notify->selection != watch->selection_) {
        return GDK_FILTER_CONTINUE;
    }
    // A compositor that goes leaves the windows drawn straight to the screen, where
    // they draw themselves; only one that arrives can have missed the wallpaper.
    const unsigned long owner = notify->subtype == XFixesSetSelectionOwnerNotify ? notify->owner : 0;
    if (owner != 0 && owner != watch->owner_) {
        if (watch->pendingDraw_ != 0) {
            g_source_remove(watch->pendingDraw_);
        }
        watch->pendingDraw_ = g_timeout_add(settleMilliseconds, &X11CompositorWatch::onCompositorSettled, watch);
    }
    watch->owner_ = owner;
    return GDK_FILTER_CONTINUE;
}

gboolean X11CompositorWatch::onCompositorSettled(gpointer self) {
    static_cast<X11CompositorWatch*>(self)->drawAgain();
    return G_SOURCE_REMOVE;
}

void X11CompositorWatch::drawAgain() {
    pendingDraw_ = 0;
    GtkWidget* widget = GTK_WIDGET(window_);
    GdkWindow* surface = gtk_widget_get_window(widget);
    if (surface == nullptr || !gtk_widget_get_mapped(widget)) {
        return;
    }
    systemLog("⚠️ A new compositing manager took over the screen; the wallpaper is drawn again.");
    Display* display = xdisplay();
    const ::Window ours = GDK_WINDOW_XID(surface);
    const ::Window root = GDK_WINDOW_XID(root_);
    GdkDisplay* gdkDisplay = gdk_display_get_default();
    gdk_x11_display_error_trap_push(gdkDisplay);
    ::Window rootReturn = None;
    ::Window parent = None;
    ::Window* children = nullptr;
    unsigned int count = 0;
    XWindowAttributes attributes{};
    if (XQueryTree(display, ours, &rootReturn, &parent, &children, &count) != 0 && parent == root &&
        XGetWindowAttributes(display, ours, &attributes) != 0 && attributes.override_redirect != False) {
        // A window that arrives stands on top; it goes back to the bottom in the same
        // breath, where an unmanaged desktop window stays.
        XReparentWindow(display, ours, root, attributes.x, attributes.y);
        XLowerWindow(display, ours);
        XFlush(display);
    }
    if (children != nullptr) {
        XFree(children);
    }
    gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
    gtk_widget_queue_draw(widget);
}

}  // namespace platform::gtk
