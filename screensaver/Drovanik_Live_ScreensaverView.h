#pragma once

#include "platform/Bundle.h"
#include "platform/ScreenSaverServices.h"
#include "platform/WeakAnchor.h"
#include "screensaver/ScreenSaverView.h"
#include "screensaver/SelectedViewLookup.h"

#include <memory>
#include <string>

// The screen saver's principal view: while it runs, one web view covers it and shows
// the live view the wallpaper application has selected.
class Drovanik_Live_ScreensaverView : public screensaver::ScreenSaverView, private platform::NavigationDelegate {
public:
    static constexpr double keepAliveInterval = 0.5;
    // How long after a failed keep-alive the view looks whether the web process ended.
    static constexpr double processEndNoticeDelay = 0.1;

    // What the view needs to know about the module it lives in.
    struct ModuleContext {
        platform::Bundle bundle;  // the bundle that holds the module, never the host's
        screensaver::HomeDirectorySources home = screensaver::HomeDirectorySources::system();
    };

    // The view, or nothing when a view cannot be made with this frame.
    static std::unique_ptr<Drovanik_Live_ScreensaverView> make(const platform::Rect& frame, bool isPreview,
                                                               platform::ScreenSaverServices& services,
                                                               ModuleContext context);

    ~Drovanik_Live_ScreensaverView() override;

    void viewWillMoveToWindow(platform::Window* window) override;
    void viewDidMoveToWindow() override;
    void startAnimation() override;
    void stopAnimation() override;
    void screenSaverWillStop(const platform::Notification& notification);

    platform::WebView* webView() const { return webView_.get(); }
    platform::Timer* keepAliveTimer() const { return timer_.get(); }

private:
    Drovanik_Live_ScreensaverView(const platform::Rect& frame, bool isPreview, platform::ScreenSaverServices& services,
                                  ModuleContext context);

    void webViewDidFinish() override;
    void webViewDidFail(const platform::WebError& error) override;
    void webViewDidFailProvisionalNavigation(const platform::WebError& error) override;

    std::string loadSelectedViewID() const;
    void loadPage(const std::string& viewID);
    void keepAlive();
    void reportKeepAliveErrorUnlessProcessEnded(const std::string& description);

    std::unique_ptr<platform::WebView> webView_;
    std::unique_ptr<platform::Timer> timer_;

    platform::ScreenSaverServices& services_;
    ModuleContext context_;
    platform::WeakAnchor<Drovanik_Live_ScreensaverView> anchor_{this};
};
