#include "platform/gtk/GtkWorkspace.h"

#include <gio/gio.h>

#include <memory>

namespace platform::gtk {

namespace {
struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
}  // namespace

bool GtkWorkspace::open(const std::string& url) {
    GError* rawError = nullptr;
    const bool opened = g_app_info_launch_default_for_uri(url.c_str(), nullptr, &rawError);
    std::unique_ptr<GError, ErrorFree> error(rawError);  // the caller does not look at why
    return opened;
}

}  // namespace platform::gtk
