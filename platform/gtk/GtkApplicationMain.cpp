#include "platform/ApplicationMain.h"

#include "platform/ControlCharacterEscape.h"
#include "platform/Log.h"
#include "platform/ProductNames.h"
#include "platform/gtk/DisplayInstance.h"
#include "platform/gtk/GObjectPtr.h"
#include "platform/gtk/GtkPlatform.h"
#include "platform/gtk/GtkReopenServer.h"
#include "platform/gtk/GtkWebView.h"
#include "platform/gtk/MainLoopLatencyProbe.h"
#include "platform/gtk/OwnViewSite.h"
#include "platform/gtk/WebEngineTuning.h"
#include "platform/gtk/WindowChrome.h"
#include "platform/linux/ExecutablePath.h"
#include "platform/linux/ReopenChannel.h"
#include "platform/linux/XWaylandDisplay.h"

#include <glib-unix.h>
#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#endif

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>

namespace platform {

namespace {

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
[[noreturn]] void restartThroughXWayland(char** argv, const gtk::WebEngineTuning& engine) {
    if (std::getenv("DISPLAY") == nullptr) {
        const auto compositor = compositorProcess();
        const auto xdisplay = compositor ? xwaylandDisplayOf(*compositor) : std::nullopt;
        if (!xdisplay) {
            systemLog(
                "❌ This Wayland compositor offers no background layer and no XWayland display: start it "
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
    // Without the engine's settings: the new process makes its own choice.
    const auto environment = engine.environmentForOtherPrograms();
    execve(self.c_str(), argv, environment.get());
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
    return GDK_IS_WAYLAND_DISPLAY(gdk_display_get_default()) && !gtk::WindowChrome::layerShellAvailable();
#else
    return false;
#endif
}

// A menu click that quits is answered on the bus before the handler's effect ends the
// process; that answer sits in GDBus's writer thread until it is flushed, and a tray
// host left without it reports the click as failed.
void deliverPendingBusReplies() {
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
        return;
    }
    if (auto bus = gtk::adoptGObject(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr))) {
        g_dbus_connection_flush_sync(bus.get(), nullptr, nullptr);
    }
}

gboolean onTerminationSignal(gpointer application) {
    static_cast<Application*>(application)->terminate(0);
    return G_SOURCE_CONTINUE;
}

struct LaunchState {
    ApplicationDelegate* delegate;
    ReopenListener* reopenListener;
    std::unique_ptr<gtk::GtkReopenServer> reopenServer;
    std::unique_ptr<gtk::MainLoopLatencyProbe> latencyProbe;
};

gboolean finishLaunching(gpointer data) {
    auto* launch = static_cast<LaunchState*>(data);
    const gint64 started = g_get_monotonic_time();
    launch->delegate->applicationDidFinishLaunching();
    // Heard only now: a launch that came early finds the settings window built.
    launch->reopenServer = std::make_unique<gtk::GtkReopenServer>(
        *launch->reopenListener, [delegate = launch->delegate] { delegate->applicationShouldHandleReopen(); });
    launch->latencyProbe =
        std::make_unique<gtk::MainLoopLatencyProbe>(std::chrono::microseconds(g_get_monotonic_time() - started));
    return G_SOURCE_REMOVE;
}

}  // namespace

int applicationMain(int argc, char** argv, const std::string& viewSiteOrigin, const DelegateFactory& makeDelegate) {
    g_set_prgname(product::programName);
    g_set_application_name(product::name);
    const auto bundle = Bundle::locate(runningExecutablePath(), product::applicationBundleName);
    if (!bundle) {
        systemLog(std::string("❌ Cannot find ") + product::applicationBundleName + " next to " +
                  escapeControlCharacters(runningExecutablePath().string()));
        return 1;
    }
    // Made while this is the process's only thread, before the toolkit reads its GL setting.
    gtk::WebEngineTuning engine({true, bundle->codePath() / TAVELO_EGL_VENDOR_FILE});
    if (gtk_init_check(&argc, &argv) == FALSE) {
        if (std::getenv(xwaylandRetryVariable) != nullptr) {
            systemLog("❌ Cannot open the XWayland display of this Wayland compositor.");
        } else {
            systemLog("❌ Cannot open a display: set DISPLAY or WAYLAND_DISPLAY to a running desktop.");
        }
        return 1;
    }
    if (waylandWithoutLayerShell() && std::getenv(xwaylandRetryVariable) == nullptr) {
        restartThroughXWayland(argv, engine);
    }
    restoreBackendChoiceForChildren();

    // One wallpaper per display server, however DISPLAY spells it.
    gtk::DisplayInstance instance(gdk_display_get_default());
    const std::string& reopenSocket = instance.reopenSocketPath();
    if (!instance.acquired()) {
        // Launching it again is how a desktop without a tray reaches the running one.
        systemLog(std::string("⚠️ ") + product::name + " is already running on this display" +
                  (!reopenSocket.empty() && requestReopen(reopenSocket) ? "; showing its settings." : "."));
        return 0;
    }
    ReopenListener reopenListener(reopenSocket);

    // Found (or started) off the main loop while the wallpaper is set up; its first page waits for it.
    gtk::OwnViewSite::shared().start(viewSiteOrigin);
    gtk::GtkPlatform platform(*bundle, engine);
    auto delegate = makeDelegate(platform);

    g_unix_signal_add(SIGTERM, onTerminationSignal, &platform.application());
    g_unix_signal_add(SIGINT, onTerminationSignal, &platform.application());
    g_unix_signal_add(SIGHUP, onTerminationSignal, &platform.application());
    LaunchState launch{delegate.get(), &reopenListener, nullptr};
    g_idle_add_full(G_PRIORITY_HIGH_IDLE, finishLaunching, &launch, nullptr);

    gtk_main();
    launch.latencyProbe.reset();
    launch.reopenServer.reset();
    gtk::GtkWebView::endAllWebProcesses();

    delegate->applicationWillTerminate();
    delegate.reset();
    deliverPendingBusReplies();
    return platform.applicationObject().exitStatus();
}

}  // namespace platform
