#pragma once

#include "platform/Rect.h"
#include "platform/Window.h"
#include "platform/gtk/GObjectPtr.h"

#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>

namespace host {

// Shows the host's widgets inside a window that another client made (XScreenSaver's,
// which may be the lock screen): an override-redirect window of our own, reparented
// into it and following its size. The other client's window is only watched, for its
// size and its end; it is never retyped, restacked, input-masked or given events that
// only one client may select.
class EmbeddedWindow : public platform::Window {
public:
    // The window `xid` names (the root window for "root"), or why it cannot be used.
    static std::variant<std::unique_ptr<EmbeddedWindow>, std::string> attach(std::uint64_t xid);
    static std::variant<std::unique_ptr<EmbeddedWindow>, std::string> attachToRoot();
    ~EmbeddedWindow() override;

    // The target's rectangle in screen coordinates.
    platform::Rect frame() const { return frame_; }
    // Whether the target is another client's window (not the root), which that client
    // may destroy at any moment.
    bool isAnotherClientsWindow() const;
    // Runs once when the target window (and with it ours) is destroyed.
    void setOnTargetGone(std::function<void()> handler) { onTargetGone_ = std::move(handler); }

    // The target's placement belongs to its owner.
    void setLevel(platform::WindowLevel) override {}
    void setBackgroundColor(platform::Color color) override;
    void setCollectionBehavior(std::uint32_t) override {}
    void setIgnoresMouseEvents(bool) override {}
    bool hasContentView() const override { return true; }
    void addSubview(platform::WebView& view) override;
    void makeKeyAndOrderFront() override;
    void orderFrontRegardless() override { makeKeyAndOrderFront(); }
    void orderOut() override;
    // The screen saver covers every desktop: no icon desktop is ever over it.
    void onHiddenByIconDesktop(std::function<void(const platform::IconDesktopSighting&)> /*hidden*/) override {}

private:
    EmbeddedWindow(GdkWindow* target, const platform::Rect& frame);

    static GdkFilterReturn filterTargetEvents(GdkXEvent* xevent, GdkEvent*, gpointer self);
    static gboolean onOwnWindowDestroyed(GtkWidget*, GdkEvent*, gpointer self);
    void targetGone();
    void followSize(int width, int height);

    platform::gtk::GObjectPtr<GdkWindow> target_;
    platform::gtk::GObjectPtr<GtkWidget> window_;
    platform::gtk::GObjectPtr<GtkCssProvider> css_;
    platform::Rect frame_;
    std::function<void()> onTargetGone_;
    bool gone_ = false;
};

}  // namespace host
