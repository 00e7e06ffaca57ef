#pragma once

#include "platform/Alert.h"
#include "platform/Application.h"
#include "platform/Bundle.h"
#include "platform/LoginItem.h"
#include "platform/MainQueue.h"
#include "platform/NotificationCenter.h"
#include "platform/ProgramRunner.h"
#include "platform/Rect.h"
#include "platform/SettingsWindow.h"
#include "platform/StatusItem.h"
#include "platform/WebView.h"
#include "platform/Window.h"
#include "platform/Workspace.h"

#include <memory>
#include <optional>

namespace platform {

// Everything the application's classes need of the desktop, in one place, so that
// the same logic runs on the real desktop and on the recording fake. What window
// levels and collection behaviour mean on Linux: docs/ARCHITECTURE.md.
class Platform {
public:
    virtual ~Platform() = default;

    // The frame of the main screen, or nothing when no screen is connected.
    virtual std::optional<Rect> mainScreenFrame() = 0;

    // A borderless window covering `contentRect`, not yet shown.
    virtual std::unique_ptr<Window> makeBorderlessWindow(const Rect& contentRect) = 0;
    virtual std::unique_ptr<WebView> makeWebView(const Rect& frame, const WebViewConfiguration& configuration) = 0;

    virtual LoginItem& loginItem() = 0;
    virtual MainQueue& mainQueue() = 0;
    virtual Application& application() = 0;
    virtual NotificationCenter& notificationCenter() = 0;
    virtual const Bundle& mainBundle() = 0;

    // The settings window, hidden until it is first ordered front.
    virtual std::unique_ptr<SettingsWindow> makeSettingsWindow(const SettingsWindowContent& content,
                                                               SettingsWindowEvents events) = 0;
    // The desktop's URL handlers.
    virtual Workspace& workspace() = 0;

    // A new item in the system status bar (the tray), shown until it is destroyed;
    // squareStatusItemLength asks for a square one.
    virtual std::unique_ptr<StatusItem> makeStatusItem(double length) = 0;
    virtual std::unique_ptr<Menu> makeMenu() = 0;
    virtual AlertPresenter& alerts() = 0;
    // The desktop's other programs (an icon program's own switches).
    virtual ProgramRunner& programs() = 0;
};

}  // namespace platform
