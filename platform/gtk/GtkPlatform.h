#pragma once

#include "platform/Platform.h"
#include "platform/gtk/GtkAlertPresenter.h"
#include "platform/gtk/GtkMainQueue.h"
#include "platform/gtk/GtkProgramRunner.h"
#include "platform/gtk/GtkWorkspace.h"
#include "platform/gtk/WebEngineTuning.h"
#include "platform/linux/XdgAutostartLoginItem.h"

namespace platform::gtk {

class GtkApplicationObject : public Application {
public:
    explicit GtkApplicationObject(GtkAlertPresenter& alerts) : alerts_(alerts) {}
    void terminate(int status) override;
    void activateIgnoringOtherApps() override;
    int exitStatus() const { return exitStatus_; }

private:
    GtkAlertPresenter& alerts_;
    int exitStatus_ = 0;
};

// The real desktop: GTK 3, WebKitGTK, and freedesktop conventions.
class GtkPlatform : public Platform {
public:
    GtkPlatform(Bundle mainBundle, WebEngineTuning& engine);

    std::optional<Rect> mainScreenFrame() override;
    std::unique_ptr<Window> makeBorderlessWindow(const Rect& contentRect) override;
    std::unique_ptr<WebView> makeWebView(const Rect& frame, const WebViewConfiguration& configuration) override;
    LoginItem& loginItem() override { return loginItem_; }
    MainQueue& mainQueue() override { return mainQueue_; }
    Application& application() override { return application_; }
    NotificationCenter& notificationCenter() override { return NotificationCenter::defaultCenter(); }
    const Bundle& mainBundle() override { return bundle_; }
    std::unique_ptr<SettingsWindow> makeSettingsWindow(const SettingsWindowContent& content,
                                                       SettingsWindowEvents events) override;
    Workspace& workspace() override { return workspace_; }
    std::unique_ptr<StatusItem> makeStatusItem(double length) override;
    std::unique_ptr<Menu> makeMenu() override;
    AlertPresenter& alerts() override { return alerts_; }
    ProgramRunner& programs() override { return programs_; }

    GtkApplicationObject& applicationObject() { return application_; }

private:
    Bundle bundle_;
    WebEngineTuning& engine_;
    XdgAutostartLoginItem loginItem_;
    GtkMainQueue mainQueue_;
    GtkAlertPresenter alerts_;
    GtkApplicationObject application_{alerts_};
    GtkWorkspace workspace_{alerts_, engine_};
    GtkProgramRunner programs_{engine_};
};

}  // namespace platform::gtk
