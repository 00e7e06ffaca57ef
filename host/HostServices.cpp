#include "host/HostServices.h"

#include "platform/gtk/GtkWebView.h"

#include <unistd.h>

#include <cstdio>

namespace host {

std::unique_ptr<platform::WebView> HostServices::makeWebView(const platform::Rect& frame,
                                                             const platform::WebViewConfiguration& configuration) {
    return std::make_unique<platform::gtk::GtkWebView>(frame, configuration, engine_);
}

void HostServices::exitProcess(int status) {
    // At once, as asked: no destructors of objects that WebKit or GTK may still be using.
    // The web engine's helper processes end when their connection to this one closes.
    std::fflush(nullptr);
    _exit(status);
}

}  // namespace host
