#pragma once

#include "platform/DesktopPlacement.h"
#include "platform/DesktopWindowTreatment.h"
#include "platform/Rect.h"
#include "platform/RestackBudget.h"
#include "platform/Window.h"
#include "platform/gtk/X11CompositorWatch.h"

#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

namespace platform::gtk {

// Makes a GTK window the desktop layer of an X11 session and keeps it there: the
// style the running window manager handles well (see DesktopPlacement), changed
// when another manager takes over or the manager goes away, then,
// whenever windows map or restack, beneath every other window, desktop-icon layers
// included. An icon layer that paints an opaque desktop therefore hides the
// wallpaper rather than leaving hidden icons under the pointer; that is logged once.
// A manager that frames, moves, resizes or raises the managed window (whatever its
// name) is seen doing so, and the window becomes unmanaged for as long as it runs.
class X11DesktopLayer {
public:
    // Call before the window is shown; `place` is where it goes, in screen pixels.
    X11DesktopLayer(GtkWindow* window, const Rect& place);
    ~X11DesktopLayer();
    X11DesktopLayer(const X11DesktopLayer&) = delete;
    X11DesktopLayer& operator=(const X11DesktopLayer&) = delete;

    DesktopWindowStyle style() const { return follower_.style(); }

    // The window was mapped: take its place at the bottom.
    void windowMapped();

    // Told of each opaque icon desktop over the window, once per desktop window.
    void onHiddenByIconDesktop(std::function<void(const IconDesktopSighting&)> hidden) { hidden_ = std::move(hidden); }

private:
    static GdkFilterReturn onRootEvent(GdkXEvent* xevent, GdkEvent* event, gpointer self);
    static gboolean onCheckDue(gpointer self);
    static gboolean onBudgetRenewed(gpointer self);
    static gboolean onManagerCheckDue(gpointer self);
    static gboolean onLookAgainDue(gpointer self);
    void applyStyle();
    void judgeTreatment();
    void becomeUnmanaged(const std::string& logLine);
    void keepInPlace();
    unsigned long managerSelection() const;
    void scheduleManagerCheck();
    bool mayRestack();
    void scheduleCheck();
    void keepBeneath();
    void showAgainIfUnmappedBehindOurBack();
    void reportOpaqueIconLayers();

    GtkWindow* window_;
    Rect place_;
    GdkWindow* root_ = nullptr;
    DesktopStyleFollower follower_;
    DesktopWindowTreatment treatment_;
    // The running manager's supporting window (0 for none): it goes when the manager does.
    unsigned long managerCheck_ = 0;
    guint pendingCheck_ = 0;
    guint pendingManagerCheck_ = 0;
    guint pendingRetry_ = 0;
    guint pendingLook_ = 0;
    RestackBudget budget_{20, std::chrono::seconds(10)};
    std::set<std::uint64_t> reportedLayers_;
    std::function<void(const IconDesktopSighting&)> hidden_;
    std::unique_ptr<X11CompositorWatch> compositorWatch_;
};

}  // namespace platform::gtk
