#pragma once

#include "platform/DistributedNotificationCenter.h"
#include "platform/ScreenSaverServices.h"
#include "platform/gtk/GtkMainQueue.h"

namespace host {

// What the host lends the module: GTK web views, the GLib main loop, the host's own
// notification centre (into which it posts the stop), and the process's exit.
class HostServices : public platform::ScreenSaverServices {
public:
    std::unique_ptr<platform::WebView> makeWebView(const platform::Rect& frame,
                                                   const platform::WebViewConfiguration& configuration) override;
    platform::MainQueue& mainQueue() override { return mainQueue_; }
    platform::DistributedNotificationCenter& distributedNotificationCenter() override { return center_; }
    [[noreturn]] void exitProcess(int status) override;

private:
    platform::gtk::GtkMainQueue mainQueue_;
    platform::InProcessDistributedNotificationCenter center_;
};

}  // namespace host
