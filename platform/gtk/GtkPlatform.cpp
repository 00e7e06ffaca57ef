#include "platform/gtk/GtkPlatform.h"

#include "platform/ProductNames.h"
#include "platform/gtk/GtkPlatformWindow.h"
#include "platform/gtk/GtkSettingsWindow.h"
#include "platform/gtk/GtkStatusItem.h"
#include "platform/gtk/GtkWebView.h"
#include "platform/gtk/MonitorGeometry.h"
#include "platform/gtk/ProductIcon.h"
#include "platform/linux/ExecutablePath.h"

#include <gtk/gtk.h>

namespace platform::gtk {

void GtkApplicationObject::terminate(int status) {
    exitStatus_ = status;
    // An alert's modal loop runs inside the main loop: it has to end for the main loop to.
    alerts_.dismissAll();
    if (gtk_main_level() > 0) {
        gtk_main_quit();
    }
}

void GtkApplicationObject::activateIgnoringOtherApps() { activateTitledWindows(); }

GtkPlatform::GtkPlatform(Bundle mainBundle, WebEngineTuning& engine)
    : bundle_(std::move(mainBundle)), engine_(engine), loginItem_(product::programName, runningExecutablePath()) {
    useProductIconForEveryWindow(bundle_);
}

std::optional<Rect> GtkPlatform::mainScreenFrame() {
    return frameOfMonitor(primaryOrFirstMonitor(gdk_display_get_default()));
}

std::unique_ptr<Window> GtkPlatform::makeBorderlessWindow(const Rect& contentRect) {
    return std::make_unique<GtkPlatformWindow>(contentRect);
}

std::unique_ptr<WebView> GtkPlatform::makeWebView(const Rect& frame, const WebViewConfiguration& configuration) {
    return std::make_unique<GtkWebView>(frame, configuration, engine_);
}

std::unique_ptr<SettingsWindow> GtkPlatform::makeSettingsWindow(const SettingsWindowContent& content,
                                                                SettingsWindowEvents events) {
    return std::make_unique<GtkSettingsWindow>(content, std::move(events));
}

std::unique_ptr<StatusItem> GtkPlatform::makeStatusItem(double) {
    // A tray icon is as wide as the tray makes it: square, whatever was asked.
    return std::make_unique<GtkStatusItem>();
}

std::unique_ptr<Menu> GtkPlatform::makeMenu() { return std::make_unique<GtkStatusMenu>(); }

}  // namespace platform::gtk
