#include "platform/fake/RecordingScreenSaverServices.h"
#include "screensaver/Drovanik_Live_ScreensaverView.h"
#include "shared/SettingsFileLocation.h"
#include "shared/ViewSite.h"
#include "tests/support/CallOrder.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using testing_support::allCallsBefore;
using testing_support::callsInOrder;
using testing_support::TemporaryFolder;

using platform::fake::ProcessExited;

constexpr const char* stopLine = "log 🛑 stopAnimation called, cleaning up WebView";

class ScreensaverViewTest : public ::testing::Test {
protected:
    ScreensaverViewTest() {
        bundle_.write("Contents/Resources/index.html", "<html>bubbles</html>");
        bundle_.write("Contents/Resources/chartIndex.html", "<html>chart</html>");
    }

    std::unique_ptr<Drovanik_Live_ScreensaverView> makeView(bool isPreview = false,
                                                            platform::Rect frame = {100, 50, 800, 600}) {
        Drovanik_Live_ScreensaverView::ModuleContext context{
            platform::Bundle(bundle_.path()),
            {[this] { return std::optional<std::filesystem::path>(home_.path()); },
             [] { return std::filesystem::path("/nonexistent-file-manager-home"); }}};
        return Drovanik_Live_ScreensaverView::make(frame, isPreview, services_, std::move(context));
    }
    std::unique_ptr<Drovanik_Live_ScreensaverView> startedView(bool isPreview = false) {
        auto view = makeView(isPreview);
        view->moveToWindow(&window_);
        view->startAnimation();
        return view;
    }
    void selectView(const std::string& id) const {
        home_.write(settingsFileRelativePath, "{\"selectedViewID\": \"" + id + "\", \"firstLaunchDone\": true}");
    }
    platform::fake::FakeWebView& lastWebView() { return *platform_.webViews.back(); }
    const platform::fake::CallRecord& record() const { return platform_.record; }
    std::string resourceURL(const std::string& file) const {
        return "file://" + (bundle_.path() / "Contents/Resources" / file).string();
    }
    // The calls that follow the last one starting with `prefix`.
    std::vector<std::string> callsFrom(const std::string& prefix) const {
        const auto& calls = record().calls();
        for (size_t i = calls.size(); i-- > 0;) {
            if (calls[i].rfind(prefix, 0) == 0) {
                return {calls.begin() + static_cast<long>(i), calls.end()};
            }
        }
        return {};
    }

    platform::fake::RecordingPlatform platform_;
    platform::fake::RecordingScreenSaverServices services_{platform_};
    platform::fake::FakeWindow window_{platform_.record, "window"};
    platform::fake::FakeMainQueue& clock_ = platform_.mainQueue_;
    TemporaryFolder home_;
    TemporaryFolder bundle_;
};

TEST_F(ScreensaverViewTest, ConstructionLogsRegistersAndBuildsNothingYet) {
    auto view = makeView(/*isPreview=*/true);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(record().calls(),
              (std::vector<std::string>{"log ✅ Init ScreenSaver code",
                                        "distributedCenter.addObserver com.apple.screensaver.willstop"}));
    EXPECT_TRUE(view->isPreview());
    EXPECT_EQ(view->webView(), nullptr);
    EXPECT_EQ(view->keepAliveTimer(), nullptr);
}

TEST_F(ScreensaverViewTest, AFrameTheBaseRefusesGivesNoViewAndNoObserver) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const platform::Rect frame : {platform::Rect{0, 0, -1, 600}, platform::Rect{0, 0, nan, 600}}) {
        platform_.record.clear();
        EXPECT_EQ(makeView(false, frame), nullptr);
        EXPECT_EQ(record().calls(), (std::vector<std::string>{"log ✅ Init ScreenSaver code"}));
    }
    EXPECT_EQ(services_.center().observerCount(), 0u);
}

TEST_F(ScreensaverViewTest, MovingIntoAWindowGivesItTheDesktopPlacement) {
    auto view = makeView();
    platform_.record.clear();
    view->moveToWindow(&window_);
    EXPECT_EQ(record().calls(),
              (std::vector<std::string>{"log ⚠️ viewWillMove: added", "log ⚠️ viewDidMoveToWindow",
                                        "window.setLevel desktop", "window.setCollectionBehavior 0x51"}));
    platform_.record.clear();
    view->moveToWindow(nullptr);
    EXPECT_EQ(record().calls(),
              (std::vector<std::string>{"log ⚠️ viewWillMove: removed", "log ⚠️ viewDidMoveToWindow"}));
}

TEST_F(ScreensaverViewTest, StartBuildsTheWebViewThenLoadsTheSelectedLocalPage) {
    selectView("crypto_chart");
    auto view = makeView();
    view->moveToWindow(&window_);
    platform_.record.clear();
    view->startAnimation();

    EXPECT_EQ(record().calls().front(), "log ▶️ startAnimation");
    // The view is ready and in the window before the settings are read, and the page
    // is loaded last.
    EXPECT_TRUE(callsInOrder(
        record(), {
                      "webView.create {0,0,800,600} nonPersistent suppressesIncrementalRendering",
                      "window.addSubview webView",
                      "log 🖼 Screensaver config path: " + (home_.path() / settingsFileRelativePath).string(),
                      "log ✅ Screensaver: loaded viewID = crypto_chart",
                  }));
    EXPECT_EQ(record().calls().back(), "webView.loadFileURL " + resourceURL("chartIndex.html") +
                                           " access=" + "file://" + (bundle_.path() / "Contents/Resources/").string());
    // Black behind the page and our delegate in place before it can be seen or report.
    for (const char* setup : {"webView.setDrawsBackground false", "webView.setLayerBackgroundColor black",
                              "webView.setNavigationDelegate set"}) {
        EXPECT_TRUE(callsInOrder(record(), {"webView.create", setup})) << setup;
        EXPECT_TRUE(allCallsBefore(record(), setup, "window.addSubview webView")) << setup;
    }
    EXPECT_EQ(record().count("webView.load"), 1);
    EXPECT_TRUE(view->isAnimating());
    EXPECT_EQ(view->keepAliveTimer(), nullptr);
}

TEST_F(ScreensaverViewTest, RemotePagesAreLoadedNeverDarkened) {
    for (const auto& [id, path] : std::vector<std::pair<std::string, std::string>>{
             {"sp500_heatmap", "/view.html"}, {"stocks_chart", "/stockView.html"}, {"Crypto_Bubbles", "/view.html"}}) {
        selectView(id);
        auto view = startedView();
        EXPECT_EQ(lastWebView().loadedURLs, std::vector<std::string>{ViewSite::origin() + path}) << id;
        EXPECT_FALSE(record().contains("log ❌ No URL for view: "));
    }
    EXPECT_EQ(record().count("webView.load " + ViewSite::origin() + "/view.html timeout=60 cachePolicy=0"), 2);
}

TEST_F(ScreensaverViewTest, AMissingLocalPageFallsBackToTheSiteWithBothLines) {
    std::filesystem::remove(bundle_.path() / "Contents/Resources/index.html");
    auto view = startedView();
    const auto calls = callsFrom("log ⚠️ ViewURLProvider: ");
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "log ⚠️ ViewURLProvider: index.html not found in bundle",
                         "log ❌ No URL for view: crypto_bubbles",
                         "webView.load " + ViewSite::origin() + "/view.html timeout=60 cachePolicy=0",
                     }));
    // The web view stays until the stop.
    EXPECT_NE(view->webView(), nullptr);
}

TEST_F(ScreensaverViewTest, ASecondStartOnlyWarns) {
    auto view = startedView();
    lastWebView().finishLoad();
    auto* timer = view->keepAliveTimer();
    platform_.record.clear();
    view->startAnimation();
    EXPECT_EQ(record().calls(),
              (std::vector<std::string>{"log ▶️ startAnimation",
                                        "log ⚠️ startAnimation called while webView still exists."}));
    EXPECT_EQ(platform_.webViews.size(), 1u);
    EXPECT_EQ(view->keepAliveTimer(), timer);
}

TEST_F(ScreensaverViewTest, StopBeforeAnyStartOnlyLogs) {
    auto view = makeView();
    platform_.record.clear();
    view->stopAnimation();
    EXPECT_EQ(record().calls(), (std::vector<std::string>{stopLine}));
    EXPECT_FALSE(view->isAnimating());
}

TEST_F(ScreensaverViewTest, StopTearsDownAndTheNextStartReadsTheFileAgain) {
    selectView("crypto_chart");
    auto view = startedView();
    lastWebView().finishLoad();
    platform_.record.clear();

    view->stopAnimation();
    EXPECT_EQ(record().calls().front(), stopLine);
    // The load is stopped and our delegate detached before the view goes, so no callback
    // reaches a view that has let go of its web view.
    EXPECT_TRUE(callsInOrder(record(), {"webView.stopLoading", "webView.removeFromSuperview"}));
    EXPECT_TRUE(callsInOrder(record(), {"webView.setNavigationDelegate none", "webView.removeFromSuperview"}));
    EXPECT_EQ(record().count("webView.removeFromSuperview"), 1);
    EXPECT_EQ(view->webView(), nullptr);
    EXPECT_EQ(view->keepAliveTimer(), nullptr);
    EXPECT_EQ(clock_.liveTimers(), 0u);

    // Chosen in the application while the screen saver was off.
    selectView("sp500_heatmap");
    view->startAnimation();
    EXPECT_EQ(platform_.webViews.size(), 2u);
    EXPECT_TRUE(record().contains("log ✅ Screensaver: loaded viewID = sp500_heatmap"));
    EXPECT_EQ(lastWebView().loadedURLs, std::vector<std::string>{ViewSite::origin() + "/view.html"});
}

TEST_F(ScreensaverViewTest, KeepAliveEvaluatesEveryHalfSecondUntilTheStop) {
    auto view = startedView();
    clock_.advance(2.0);
    EXPECT_EQ(record().count("webView.evaluateJavaScript"), 0) << "nothing before the page has finished";

    lastWebView().finishLoad();
    EXPECT_TRUE(record().contains("log ✅ Finished loading."));
    EXPECT_TRUE(record().contains("mainQueue.scheduledTimer 0.5 repeating"));
    clock_.advance(0.49);
    EXPECT_EQ(record().count("webView.evaluateJavaScript"), 0);
    clock_.advance(0.01);
    EXPECT_EQ(record().count("webView.evaluateJavaScript void 0;"), 1);
    clock_.advance(1.0);
    EXPECT_EQ(record().count("webView.evaluateJavaScript void 0;"), 3);

    view->stopAnimation();
    clock_.advance(5.0);
    EXPECT_EQ(record().count("webView.evaluateJavaScript"), 3);
}

TEST_F(ScreensaverViewTest, EachFailedEvaluationLogsOneLineAndTheTimerGoesOn) {
    auto view = startedView();
    auto& webView = lastWebView();
    webView.finishLoad();
    webView.nextJavaScriptError = platform::WebError{"WebKitJavascriptError", 699, "Unsupported result type", ""};
    clock_.advance(1.0);
    webView.nextJavaScriptError.reset();
    clock_.advance(1.0);
    // Each failure is logged a moment after it, once it is clear the process still runs.
    EXPECT_EQ(record().count("log ⚠️ JS error: Unsupported result type"), 2);
    EXPECT_EQ(record().count("log ⚠️ JS error: "), 2);
    EXPECT_EQ(record().count("webView.evaluateJavaScript"), 4);
}

// The engine may fail an evaluation that was under way when the web process died before
// it reports the end of the process: that failure is the crash, already logged as such.
TEST_F(ScreensaverViewTest, AnEvaluationFailingAsTheWebProcessDiesLogsNoError) {
    auto view = startedView();
    auto& webView = lastWebView();
    webView.finishLoad();
    webView.nextJavaScriptError = platform::WebError{"WebKitJavascriptError", 699, "Unsupported result type", ""};
    clock_.advance(0.5);
    ASSERT_EQ(record().count("webView.evaluateJavaScript"), 1);
    webView.setWebProcessRunning(false);
    clock_.advance(2.0);
    EXPECT_EQ(record().count("log ⚠️ JS error: "), 0);

    // Gone before the error was reported: nothing to log either.
    webView.setWebProcessRunning(true);
    webView.finishLoad();
    clock_.advance(0.5);
    view.reset();
    clock_.advance(1.0);
    EXPECT_EQ(record().count("log ⚠️ JS error: "), 0);
}

TEST_F(ScreensaverViewTest, KeepAlivePausesWhileTheWebProcessIsDownAndResumesAfterTheReload) {
    auto view = startedView();
    auto& webView = lastWebView();
    webView.finishLoad();
    clock_.advance(0.5);
    EXPECT_EQ(record().count("webView.evaluateJavaScript"), 1);

    // A dead renderer answers every evaluation with an error: none may be tried.
    webView.setWebProcessRunning(false);
    webView.nextJavaScriptError = platform::WebError{"WebKitJavascriptError", 699, "Unsupported result type", ""};
    clock_.advance(5.0);
    EXPECT_EQ(record().count("webView.evaluateJavaScript"), 1);
    EXPECT_EQ(record().count("log ⚠️ JS error: "), 0);

    webView.setWebProcessRunning(true);
    webView.nextJavaScriptError.reset();
    webView.finishLoad();
    clock_.advance(1.0);
    EXPECT_EQ(record().count("webView.evaluateJavaScript"), 3);
    EXPECT_EQ(clock_.liveTimers(), 1u);
}

TEST_F(ScreensaverViewTest, ALaterFinishedLoadReplacesTheKeepAliveTimer) {
    auto view = startedView();
    lastWebView().finishLoad();
    lastWebView().finishLoad();
    lastWebView().finishLoad();
    EXPECT_EQ(clock_.liveTimers(), 1u);
    clock_.advance(1.0);
    EXPECT_EQ(record().count("webView.evaluateJavaScript"), 2);
    view->stopAnimation();
    EXPECT_EQ(clock_.liveTimers(), 0u);
}

TEST_F(ScreensaverViewTest, NavigationFailuresLogTheFullErrorAndChangeNothing) {
    auto view = startedView();
    const platform::WebError error{"WebKitNetworkError", 302, "Load request cancelled", "http://x/view.html"};
    lastWebView().failProvisionalLoad(error);
    lastWebView().failLoad(error);
    EXPECT_TRUE(record().contains("log ❌ Provisional navigation failed: " + error.description()));
    EXPECT_TRUE(record().contains("log ❌ Navigation failed: " + error.description()));
    EXPECT_EQ(lastWebView().loadedURLs.size(), 1u) << "no retry and no fallback";
    EXPECT_NE(view->webView(), nullptr);
    EXPECT_EQ(view->keepAliveTimer(), nullptr);
}

TEST_F(ScreensaverViewTest, DestroyingARunningViewReleasesWithoutTheStopLine) {
    auto view = startedView();
    lastWebView().finishLoad();
    platform_.record.clear();
    view.reset();
    EXPECT_EQ(record().calls(),
              (std::vector<std::string>{"log 🛑 Wallpaper deinit called", "distributedCenter.removeObserver"}));
    EXPECT_EQ(clock_.liveTimers(), 0u);
    clock_.advance(2.0);
    EXPECT_EQ(record().count("webView.evaluateJavaScript"), 0);
    // Gone from the centre: a later stop notification reaches nobody.
    services_.distributedNotificationCenter().post("com.apple.screensaver.willstop");
    EXPECT_FALSE(record().contains("log 🛑 screenSaverWillStop"));
}

TEST_F(ScreensaverViewTest, APreviewStopsAndStaysAlive) {
    auto preview = startedView(/*isPreview=*/true);
    platform_.record.clear();
    services_.distributedNotificationCenter().post("com.apple.screensaver.willstop");
    EXPECT_EQ(record().matching("log "), (std::vector<std::string>{"log 🛑 screenSaverWillStop", stopLine}));
    EXPECT_FALSE(record().contains("process.exit"));
    EXPECT_EQ(preview->webView(), nullptr);
    // It can be started again, as after any stop.
    preview->startAnimation();
    EXPECT_NE(preview->webView(), nullptr);
}

TEST_F(ScreensaverViewTest, AFullScreenViewStopsThenEndsTheProcessBeforeLaterViewsHearOfIt) {
    auto preview = startedView(/*isPreview=*/true);
    auto fullScreen = startedView(/*isPreview=*/false);
    auto later = startedView(/*isPreview=*/false);
    platform_.record.clear();

    try {
        services_.distributedNotificationCenter().post("com.apple.screensaver.willstop");
        FAIL() << "the full-screen view did not end the process";
    } catch (const ProcessExited& exited) {
        EXPECT_EQ(exited.status, 0);
    }
    const auto lines = record().matching("log ");
    EXPECT_EQ(lines, (std::vector<std::string>{"log 🛑 screenSaverWillStop", stopLine, "log 🛑 screenSaverWillStop",
                                               stopLine}));
    EXPECT_EQ(record().calls().back(), "process.exit 0");
    EXPECT_EQ(preview->webView(), nullptr);
    EXPECT_EQ(fullScreen->webView(), nullptr);
    EXPECT_NE(later->webView(), nullptr) << "a view after the exit never handles the notification";
}

}  // namespace
