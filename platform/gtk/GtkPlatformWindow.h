#pragma once

#include "platform/Rect.h"
#include "platform/Window.h"
#include "platform/gtk/GObjectPtr.h"
#include "platform/gtk/X11DesktopLayer.h"

#include <gtk/gtk.h>

#include <memory>

namespace platform::gtk {

// A borderless top-level GTK window. At the desktop level it becomes the desktop
// layer of the session: on X11 a window kept below everything, icon layers included
// (X11DesktopLayer), or the background layer of a layer-shell compositor on Wayland.
class GtkPlatformWindow : public Window {
public:
    explicit GtkPlatformWindow(const Rect& contentRect);
    ~GtkPlatformWindow() override;

    void setLevel(WindowLevel level) override;
    void setBackgroundColor(Color color) override;
    void setCollectionBehavior(std::uint32_t behavior) override;
    void setIgnoresMouseEvents(bool ignores) override;
    bool hasContentView() const override { return true; }
    void addSubview(WebView& view) override;
    void makeKeyAndOrderFront() override;
    void orderFrontRegardless() override;
    void orderOut() override;
    void onHiddenByIconDesktop(std::function<void(const IconDesktopSighting&)> hidden) override;

    GtkWindow* gtkWindow() const { return GTK_WINDOW(window_.get()); }

private:
    static void onMap(GtkWidget* widget, gpointer self);
    void applyInputShape();
    void useLayerShellBackground();

    GObjectPtr<GtkWidget> window_;
    GObjectPtr<GtkCssProvider> css_;
    std::unique_ptr<X11DesktopLayer> desktopLayer_;
    Rect contentRect_;
    bool ignoresMouseEvents_ = false;
};

}  // namespace platform::gtk
