#pragma once

#include <gtk/gtk.h>

namespace platform::gtk {

// Keeps a window drawn across compositing managers: a new compositor that takes the
// screen's _NET_WM_CM_Sn selection (after a window manager was replaced, compositing
// was switched off and on, or a compositor crashed and started again) may keep no
// picture of a window that was already mapped when it started, and show black
// where it stands until the window is created again. Once the new compositor is up,
// an unmanaged window that stands on the root window itself is put back there, where
// it stands, at the bottom (a compositor takes up every window it sees arrive on the
// root window), and the window is redrawn whole.
class X11CompositorWatch {
public:
    explicit X11CompositorWatch(GtkWindow* window);
    X11CompositorWatch(const X11CompositorWatch&) = delete;
    X11CompositorWatch& operator=(const X11CompositorWatch&) = delete;
    ~X11CompositorWatch();

private:
    static GdkFilterReturn onRootEvent(GdkXEvent* xevent, GdkEvent* event, gpointer self);
    static gboolean onCompositorSettled(gpointer self);
    void drawAgain();

    GtkWindow* window_;
    GdkWindow* root_ = nullptr;
    int xfixesEventBase_ = -1;
    unsigned long selection_ = 0;
    unsigned long owner_ = 0;
    guint pendingDraw_ = 0;
};

}  // namespace platform::gtk
