#include "screensaver/Drovanik_Live_ScreensaverView.h"

#include "platform/ControlCharacterEscape.h"
#include "platform/Log.h"
#include "shared/LoadResolvedPage.h"
#include "shared/ViewSite.h"
#include "shared/ViewURLProvider.h"

#include <boost/url/parse.hpp>

using platform::systemLog;

std::unique_ptr<Drovanik_Live_ScreensaverView> Drovanik_Live_ScreensaverView::make(
    const platform::Rect& frame, bool isPreview, platform::ScreenSaverServices& services, ModuleContext context) {
    systemLog("✅ Init ScreenSaver code");
    if (!canInitialize(frame)) {
        return nullptr;
    }
    return std::unique_ptr<Drovanik_Live_ScreensaverView>(
        new Drovanik_Live_ScreensaverView(frame, isPreview, services, std::move(context)));
}

Drovanik_Live_ScreensaverView::Drovanik_Live_ScreensaverView(const platform::Rect& frame, bool isPreview,
                                                             platform::ScreenSaverServices& services,
                                                             ModuleContext context)
    : ScreenSaverView(frame, isPreview), services_(services), context_(std::move(context)) {
    services_.distributedNotificationCenter().addObserver(
        this, platform::screenSaverWillStopNotification,
        [weak = anchor_.weak()](const platform::Notification& notification) {
            if (auto* self = weak.lock()) {
                self->screenSaverWillStop(notification);
            }
        });
}

Drovanik_Live_ScreensaverView::~Drovanik_Live_ScreensaverView() {
    systemLog("🛑 Wallpaper deinit called");
    if (timer_) {
        timer_->invalidate();
    }
    services_.distributedNotificationCenter().removeObserver(this);
}

void Drovanik_Live_ScreensaverView::viewWillMoveToWindow(platform::Window* window) {
    systemLog(std::string("⚠️ viewWillMove: ") + (window != nullptr ? "added" : "removed"));
}

void Drovanik_Live_ScreensaverView::viewDidMoveToWindow() {
    systemLog("⚠️ viewDidMoveToWindow");
    ScreenSaverView::viewDidMoveToWindow();
    if (auto* window = this->window()) {
        window->setLevel(platform::WindowLevel::desktop);
        window->setCollectionBehavior(platform::CollectionBehavior::desktopPlacement);
    }
}

void Drovanik_Live_ScreensaverView::startAnimation() {
    ScreenSaverView::startAnimation();
    systemLog("▶️ startAnimation");
    if (webView_) {
        systemLog("⚠️ startAnimation called while webView still exists.");
        return;
    }

    platform::WebViewConfiguration configuration;
    configuration.suppressesIncrementalRendering = true;
    configuration.nonPersistentDataStore = true;
    webView_ = services_.makeWebView(bounds(), configuration);

    webView_->setDrawsBackground(false);
    webView_->setLayerBackgroundColorBlack();
    webView_->setNavigationDelegate(this);
    addSubview(*webView_);

    loadPage(loadSelectedViewID());
}

std::string Drovanik_Live_ScreensaverView::loadSelectedViewID() const {
    return screensaver::loadSelectedViewID(context_.home);
}

void Drovanik_Live_ScreensaverView::loadPage(const std::string& viewID) {
    const auto result = ViewURLProvider::url(viewID, /*darkened=*/false, context_.bundle);
    if (result) {
        loadResolvedPage(*webView_, *result);
        return;
    }

    systemLog("❌ No URL for view: " + escapeControlCharacters(viewID));
    const std::string fallback = ViewSite::origin() + "/" + views::unknownViewPage;
    if (!boost::urls::parse_absolute_uri(fallback)) {
        return;
    }
    webView_->load(platform::URLRequest{fallback, platform::CachePolicy::useProtocolCachePolicy, 60.0});
}

void Drovanik_Live_ScreensaverView::webViewDidFinish() {
    systemLog("✅ Finished loading.");
    // A later load of the same page finishes too: its timer replaces the earlier one,
    // which must not go on firing unseen by the stop.
    if (timer_) {
        timer_->invalidate();
    }
    timer_ = services_.mainQueue().scheduledTimer(keepAliveInterval, /*repeats=*/true, [weak = anchor_.weak()] {
        if (auto* self = weak.lock()) {
            self->keepAlive();
        }
    });
}

void Drovanik_Live_ScreensaverView::keepAlive() {
    // While the page's web process is down (the web view is bringing up a new one)
    // there is nothing to keep alive, and every evaluation would only fail.
    if (!webView_ || !webView_->webProcessRunning()) {
        return;
    }
    webView_->evaluateJavaScript("void 0;", [weak = anchor_.weak()](const std::optional<platform::WebError>& error) {
        auto* self = weak.lock();
        if (error && self != nullptr) {
            self->reportKeepAliveErrorUnlessProcessEnded(error->localizedDescription);
        }
    });
}

// An evaluation under way when the web process dies fails too, and the engine may say
// so before it says that the process ended: asked a moment later, the view knows, and
// the end of the process has its own log line.
void Drovanik_Live_ScreensaverView::reportKeepAliveErrorUnlessProcessEnded(const std::string& description) {
    services_.mainQueue().asyncAfter(processEndNoticeDelay, [weak = anchor_.weak(), description] {
        auto* self = weak.lock();
        if (self != nullptr && self->webView_ && self->webView_->webProcessRunning()) {
            systemLog("⚠️ JS error: " + escapeControlCharacters(description));
        }
    });
}

void Drovanik_Live_ScreensaverView::webViewDidFail(const platform::WebError& error) {
    systemLog("❌ Navigation failed: " + escapeControlCharacters(error.description()));
}

void Drovanik_Live_ScreensaverView::webViewDidFailProvisionalNavigation(const platform::WebError& error) {
    systemLog("❌ Provisional navigation failed: " + escapeControlCharacters(error.description()));
}

void Drovanik_Live_ScreensaverView::stopAnimation() {
    ScreenSaverView::stopAnimation();
    systemLog("🛑 stopAnimation called, cleaning up WebView");
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
    if (webView_) {
        webView_->stopLoading();
        webView_->setNavigationDelegate(nullptr);
        removeSubview(*webView_);
        webView_.reset();
    }
}

void Drovanik_Live_ScreensaverView::screenSaverWillStop(const platform::Notification&) {
    systemLog("🛑 screenSaverWillStop");
    stopAnimation();
    if (!isPreview()) {
        services_.exitProcess(0);
    }
}
