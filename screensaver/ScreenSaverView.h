#pragma once

#include "platform/Rect.h"
#include "platform/WebView.h"
#include "platform/Window.h"

#include <vector>

namespace screensaver {

// What every screen-saver view is to its host: a rectangle of a window that the host
// starts and stops. Every virtual member is defined here, in the header, so that the
// host reaches a view that lives in a module without linking the module's code.
class ScreenSaverView {
public:
    virtual ~ScreenSaverView() = default;
    ScreenSaverView(const ScreenSaverView&) = delete;
    ScreenSaverView& operator=(const ScreenSaverView&) = delete;

    // Whether a view can be made with this frame: a frame with a negative or
    // non-finite size gives no view.
    static bool canInitialize(const platform::Rect& frame);

    const platform::Rect& frame() const { return frame_; }
    platform::Rect bounds() const { return {0, 0, frame_.width, frame_.height}; }
    bool isPreview() const { return isPreview_; }
    bool isAnimating() const { return animating_; }
    platform::Window* window() const { return window_; }

    virtual void startAnimation() { animating_ = true; }
    virtual void stopAnimation() { animating_ = false; }

    // The host places the view in a window, or takes it out with none; the view hears
    // of it before and after, and its subviews go along.
    virtual void moveToWindow(platform::Window* window) {
        viewWillMoveToWindow(window);
        window_ = window;
        if (window_ != nullptr && window_->hasContentView()) {
            for (auto* subview : subviews_) {
                window_->addSubview(*subview);
            }
        }
        viewDidMoveToWindow();
    }
    virtual void viewWillMoveToWindow(platform::Window*) {}
    virtual void viewDidMoveToWindow() {}

protected:
    ScreenSaverView(const platform::Rect& frame, bool isPreview) : frame_(frame), isPreview_(isPreview) {}

    void addSubview(platform::WebView& view);
    void removeSubview(platform::WebView& view);

private:
    platform::Rect frame_;
    bool isPreview_;
    bool animating_ = false;
    platform::Window* window_ = nullptr;
    std::vector<platform::WebView*> subviews_;
};

}  // namespace screensaver
