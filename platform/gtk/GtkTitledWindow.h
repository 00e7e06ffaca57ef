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
    bool isVisible() const override;

    GtkWindow* gtkWindow() const { return GTK_WINDOW(window_.get()); }

private:
    static gboolean onDelete(GtkWidget* widget, GdkEvent* event, gpointer self);
    void rememberPosition();

    GObjectPtr<GtkWidget> window_;
    bool releasedWhenClosed_ = true;
    std::optional<std::pair<int, int>> lastPosition_;
};

// Test hook: while no menu can open it, SIGUSR1 brings every titled window forward.
void installShowWindowsSignalForTests();

}  // namespace platform::gtk
