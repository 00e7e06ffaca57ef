#pragma once

#include "platform/Platform.h"
#include "platform/ProductNames.h"
#include "platform/fake/CallRecord.h"
#include "platform/fake/FakeAlertPresenter.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakeMainQueue.h"
#include "platform/fake/FakeProgramRunner.h"
#include "platform/fake/FakeSettingsWindow.h"
#include "platform/fake/FakeStatusItem.h"
#include "platform/fake/FakeWebView.h"
#include "platform/fake/FakeWindow.h"
#include "platform/fake/FakeWorkspace.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace platform::fake {

class FakeApplication : public Application {
public:
    explicit FakeApplication(CallRecord& record) : record_(record) {}
    void terminate(int status) override;
    void activateIgnoringOtherApps() override { record_.add("application.activateIgnoringOtherApps"); }
    std::optional<int> terminatedWith;

private:
    CallRecord& record_;
};

// The platform for tests: every call is recorded in order (log lines included),
// and the test plays the desktop's part (screens, clock, engine callbacks).
class RecordingPlatform : public Platform {
public:
    explicit RecordingPlatform(std::filesystem::path bundlePath = std::filesystem::path("/nonexistent") /
                                                                  product::applicationBundleName);
    ~RecordingPlatform() override;

    std::optional<Rect> mainScreenFrame() override;
    std::unique_ptr<Window> makeBorderlessWindow(const Rect& contentRect) override;
    std::unique_ptr<WebView> makeWebView(const Rect& frame, const WebViewConfiguration& configuration) override;
    LoginItem& loginItem() override { return loginItem_; }
    MainQueue& mainQueue() override { return mainQueue_; }
    Application& application() override { return application_; }
    NotificationCenter& notificationCenter() override { return notificationCenter_; }
    const Bundle& mainBundle() override { return bundle_; }
    std::unique_ptr<SettingsWindow> makeSettingsWindow(const SettingsWindowContent& content,
                                                       SettingsWindowEvents events) override;
    Workspace& workspace() override { return workspace_; }
    std::unique_ptr<StatusItem> makeStatusItem(double length) override;
    std::unique_ptr<Menu> makeMenu() override;
    AlertPresenter& alerts() override { return alerts_; }
    ProgramRunner& programs() override { return programs_; }

    CallRecord record;
    std::optional<Rect> screenFrame = Rect{0, 0, 1920, 1080};
    FakeLoginItem loginItem_{record};
    FakeMainQueue mainQueue_{record};
    FakeApplication application_{record};
    NotificationCenter notificationCenter_;
    Bundle bundle_;
    FakeWorkspace workspace_{record};
    FakeAlertPresenter alerts_{record};
    FakeProgramRunner programs_{record};
    // Whether the status items made from now on have a button.
    bool statusItemsHaveButton = true;
    std::vector<FakeStatusItem*> statusItems;

    // The windows and web views made so far (owned by whoever asked for them).
    std::vector<FakeWindow*> windows;
    std::vector<FakeWebView*> webViews;
    std::vector<FakeSettingsWindow*> settingsWindows;
    // Runs on each window as it is made, before the caller sees it.
    std::function<void(FakeWindow&)> onWindowMade;
};

}  // namespace platform::fake
