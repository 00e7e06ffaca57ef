#include "platform/gtk/GtkWorkspace.h"

#include "platform/ControlCharacterEscape.h"
#include "platform/FileURL.h"
#include "platform/Log.h"
#include "platform/ProductNames.h"
#include "platform/gtk/GObjectPtr.h"
#include "platform/gtk/OwnViewSite.h"
#include "platform/gtk/WebEngineTuning.h"
#include "platform/linux/ExecutablePath.h"
#include "platform/linux/XScreenSaverInstaller.h"
#include "platform/linux/XScreenSaverPrograms.h"

#include <gio/gio.h>

#include <array>
#include <memory>

namespace platform::gtk {

namespace {

// The screen-saver settings of the desktop: XScreenSaver's tool, by its current
// name or the one older releases used.
bool openScreenSaverSettings(const WebEngineTuning& engine) {
    for (const char* tool : {"xscreensaver-settings", "xscreensaver-demo"}) {
        std::unique_ptr<gchar, decltype(&g_free)> path(g_find_program_in_path(tool), &g_free);
        if (!path) {
            continue;
        }
        gchar* argv[] = {path.get(), nullptr};
        const auto environment = engine.environmentForOtherPrograms();
        // Without a child watch GLib lets the tool go on by itself once it is started.
        if (g_spawn_async(nullptr, argv, environment.get(), G_SPAWN_STDOUT_TO_DEV_NULL, nullptr, nullptr, nullptr,
                          nullptr)) {
            return true;
        }
    }
    return false;
}

// A bundle's URL may end in a slash, as a folder's does.
std::filesystem::path withoutTrailingSlash(const std::filesystem::path& path) {
    return path.has_filename() ? path : path.parent_path();
}

bool isSaverBundle(const std::filesystem::path& path) { return path.extension() == ".saver"; }

}  // namespace

bool GtkWorkspace::open(const std::string& url) {
    if (url == platform::screenSaverSettingsURL) {
        return openScreenSaverSettings(engine_);
    }
    if (const auto fileURLPath = pathFromFileURL(url);
        fileURLPath && isSaverBundle(withoutTrailingSlash(*fileURLPath))) {
        const auto bundle = withoutTrailingSlash(*fileURLPath);
        // The host ships beside the application's own program.
        XScreenSaverInstaller installer(alerts_,
                                        runningExecutablePath().parent_path() / product::screenSaverProgramName,
                                        xscreensaverSettingsFile());
        return installer.install(bundle);
    }
    // A link to the built-in site opens once this account's site is confirmed, off the
    // main loop; nobody waits for the browser, so a browser that cannot be started is
    // said in the log.
    linkRequest_ = OwnViewSite::shared().addressFor(url, [&engine = engine_](const std::string& address) {
        const auto launch = adoptGObject(g_app_launch_context_new());
        engine.removeEngineOnlySettings(launch.get());
        GError* rawError = nullptr;
        if (g_app_info_launch_default_for_uri(address.c_str(), launch.get(), &rawError) == FALSE) {
            GErrorPtr error(rawError);
            systemLog("⚠️ Cannot open " + escapeControlCharacters(address) +
                      " in a browser: " + escapeControlCharacters(error ? error->message : "no reason given"));
        }
    });
    return true;
}

}  // namespace platform::gtk
