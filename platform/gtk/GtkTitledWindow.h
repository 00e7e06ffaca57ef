#pragma once

#include "platform/TitledWindow.h"
#include "platform/gtk/GObjectPtr.h"

#include <gtk/gtk.h>

#include <optional>
#include <utility>

namespace platform::gtk {

// An ordinary decorated GTK window. Closed while it is kept (not released), it is
// only hidden, and it comes back where the user left it.
class GtkTitledWindow : public TitledWindow {
public:
    GtkTitledWindow();
    ~GtkTitledWindow() override;

    void setContentView(ContentView& content) override;
    void setTitle(std::string_view title) override;
    void setStyleMask(std::uint32_t style) override;
    void setContentSize(double width, double height) override;
    void setReleasedWhenClosed(bool released) override;
    void center() override;
    void makeKeyAndOrderFront() override;
    void orderOut() override;
    bool isVisible() const;

    GtkWindow* gtkWindow() const { return GTK_WINDOW(window_.get()); }

private:
    static gboolean onDelete(GtkWidget* widget, GdkEvent* event, gpointer self);
    void rememberPosition();

    GObjectPtr<GtkWidget> window_;
    bool releasedWhenClosed_ = true;
    std::optional<std::pair<int, int>> lastPosition_;
};

// Orders `window` in front and gives it the focus now. On X11 the request carries the
// server's current time, so that the window manager grants it even though the user's
// last click went to another application (or to the tray).
void presentWithServerTime(GtkWindow* window);

// Brings the application's shown titled windows in front of other applications' windows.
void activateTitledWindows();

}  // namespace platform::gtk
