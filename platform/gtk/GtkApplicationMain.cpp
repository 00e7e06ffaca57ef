#include "platform/ApplicationMain.h"

#include "platform/Log.h"
#include "platform/gtk/GtkPlatform.h"
#include "platform/linux/ExecutablePath.h"
#include "platform/linux/ReopenChannel.h"
#include "platform/linux/SingleInstanceLock.h"
#include "platform/linux/XWaylandDisplay.h"

#include <glib-unix.h>
#include <gtk-layer-shell/gtk-layer-shell.h>
#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#endif

#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

namespace platform {

namespace {

constexpr const char* applicationBundleName = "Tavelo Live Wallpaper.app";
constexpr const char* xwaylandRetryVariable = "TAVELO_XWAYLAND_RETRY";
constexpr const char* savedBackendVariable = "TAVELO_SAVED_GDK_BACKEND";

// The process at the other end of the Wayland connection: the compositor.
std::optional<pid_t> compositorProcess() {
#ifdef GDK_WINDOWING_WAYLAND
    auto* display = gdk_wayland_display_get_wl_display(gdk_display_get_default());
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(wl_display_get_fd(display), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.pid > 0) {
        return peer.pid;
    }
#endif
    return std::nullopt;
}

// A Wayland compositor without layer-shell has no background layer to offer: the
// X11 path through XWayland is the way onto the desktop there. A client started
// outside the compositor may not have been told its X display: find it.
[[noreturn]] void restartThroughXWayland(char** argv) {
    if (std::getenv("DISPLAY") == nullptr) {
        const auto compositor = compositorProcess();
        const auto xdisplay = compositor ? xwaylandDisplayOf(*compositor) : std::nullopt;
        if (!xdisplay) {
            systemLog("❌ This Wayland compositor offers no background layer and no XWayland display: start it "
                      "with XWayland, or set DISPLAY to its X display.");
            std::exit(1);
        }
        setenv("DISPLAY", xdisplay->c_str(), 1);
    }
    if (const char* chosen = std::getenv("GDK_BACKEND")) {
        setenv(savedBackendVariable, chosen, 1);
    }
    setenv("GDK_BACKEND", "x11", 1);
    setenv(xwaylandRetryVariable, "1", 1);
    const auto self = runningExecutablePath();
    execv(self.c_str(), argv);
    systemLog("❌ Could not restart through XWayland.");
    std::exit(1);
}

// Only the wallpaper needed X11: what the application starts later (the browser for
// the website link, say) gets the desktop's own choice back.
void restoreBackendChoiceForChildren() {
    if (std::getenv(xwaylandRetryVariable) == nullptr) {
        return;
    }
    if (const char* saved = std::getenv(savedBackendVariable)) {
        setenv("GDK_BACKEND", saved, 1);
    } else {
        unsetenv("GDK_BACKEND");
    }
    unsetenv(savedBackendVariable);
    unsetenv(xwaylandRetryVariable);
}

bool waylandWithoutLayerShell() {
#ifdef GDK_WINDOWING_WAYLAND
    return GDK_IS_WAYLAND_DISPLAY(gdk_display_get_default()) && !gtk_layer_is_supported();
#else
    return false;
#endif
}

gboolean onTerminationSignal(gpointer application) {
    static_cast<Application*>(application)->terminate(0);
    return G_SOURCE_CONTINUE;
}

struct LaunchState {
    ApplicationDelegate* delegate;
    ReopenListener* reopenListener;
    guint reopenSource;
};

gboolean onReopenRequest(gint, GIOCondition, gpointer data) {
    auto* launch = static_cast<LaunchState*>(data);
    if (launch->reopenListener->acceptRequest()) {
        launch->delegate->applicationShouldHandleReopen();
    }
    return G_SOURCE_CONTINUE;
}

gboolean finishLaunching(gpointer data) {
    auto* launch = static_cast<LaunchState*>(data);
    launch->delegate->applicationDidFinishLaunching();
    // Heard only now: a launch that came early finds the settings window built.
    if (launch->reopenListener->listening()) {
        launch->reopenSource = g_unix_fd_add(launch->reopenListener->fd(), G_IO_IN, onReopenRequest, launch);
    }
    return G_SOURCE_REMOVE;
}

}  // namespace

int applicationMain(int argc, char** argv, const DelegateFactory& makeDelegate) {
    g_set_prgname("tavelo-live-wallpaper");
    g_set_application_name("Tavelo Live Wallpaper");
    if (!gtk_init_check(&argc, &argv)) {
        if (std::getenv(xwaylandRetryVariable) != nullptr) {
            systemLog("❌ Cannot open the XWayland display of this Wayland compositor.");
        } else {
            systemLog("❌ Cannot open a display: set DISPLAY or WAYLAND_DISPLAY to a running desktop.");
        }
        return 1;
    }
    if (waylandWithoutLayerShell() && std::getenv(xwaylandRetryVariable) == nullptr) {
        restartThroughXWayland(argv);
    }
    restoreBackendChoiceForChildren();

    SingleInstanceLock lock(gdk_display_get_name(gdk_display_get_default()));
    const auto reopenSocket = reopenSocketPathFor(lock.path());
    if (!lock.acquired()) {
        // Launching it again is how a desktop without a tray reaches the running one.
        systemLog(requestReopen(reopenSocket)
                      ? "⚠️ Tavelo Live Wallpaper is already running on this display; showing its settings."
                      : "⚠️ Tavelo Live Wallpaper is already running on this display.");
        return 0;
    }
    ReopenListener reopenListener(reopenSocket);

    const auto bundle = Bundle::locate(runningExecutablePath(), applicationBundleName);
    if (!bundle) {
        systemLog(std::string("❌ Cannot find ") + applicationBundleName + " next to " +
                  runningExecutablePath().string());
        return 1;
    }

    gtk::GtkPlatform platform(*bundle);
    auto delegate = makeDelegate(platform);

    g_unix_signal_add(SIGTERM, onTerminationSignal, &platform.application());
    g_unix_signal_add(SIGINT, onTerminationSignal, &platform.application());
    g_unix_signal_add(SIGHUP, onTerminationSignal, &platform.application());
    LaunchState launch{delegate.get(), &reopenListener, 0};
    g_idle_add_full(G_PRIORITY_HIGH_IDLE, finishLaunching, &launch, nullptr);

    gtk_main();
    if (launch.reopenSource != 0) {
        g_source_remove(launch.reopenSource);
    }

    delegate->applicationWillTerminate();
    delegate.reset();
    return platform.applicationObject().exitStatus();
}

}  // namespace platform
