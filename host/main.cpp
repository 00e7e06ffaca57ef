// The Linux stand-in for the system's screen-saver host: an XScreenSaver hack that
// loads the screen-saver module from its bundle and shows its view in the window
// XScreenSaver hands over (or in a window of its own when run by hand).

#include "host/EmbeddedWindow.h"
#include "host/HostOptions.h"
#include "host/HostServices.h"
#include "host/LoadedSaver.h"
#include "host/PreviewDetection.h"
#include "platform/Bundle.h"
#include "platform/ControlCharacterEscape.h"
#include "platform/Log.h"
#include "platform/ProductNames.h"
#include "platform/ScreenSaverServices.h"
#include "platform/gtk/GtkPlatformWindow.h"
#include "platform/gtk/MonitorGeometry.h"
#include "platform/gtk/OwnViewSite.h"
#include "platform/gtk/WebEngineTuning.h"
#include "platform/linux/ExecutablePath.h"
#include "shared/ViewSite.h"

#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {

// Reasons carry text from the command line, the environment and paths: escaped,
// none of it can end the line or forge another one.
int fail(const std::string& reason) {
    platform::systemLog("❌ " + escapeControlCharacters(reason));
    return 1;
}

void printUsage() {
    std::printf("Usage: %s [-root | -window-id 0xID] [--saver PATH]\n", product::screenSaverProgramName);
    std::fputs(
        "  -root, --root        show in the window named by XSCREENSAVER_WINDOW (the root window without it)\n"
        "  -window-id, --window-id 0xID\n"
        "                       show in the X window with that id\n"
        "  --saver PATH         load this .saver bundle instead of the one installed beside the host\n"
        "With neither -root nor -window-id, the screen saver fills a window of its own.\n",
        stdout);
}

// Stops the screen saver once, whatever asked first: a signal or the window's end.
class Stopper {
public:
    explicit Stopper(platform::DistributedNotificationCenter& center) : center_(center) {}

    void stop() {
        if (stopping_) {
            return;
        }
        stopping_ = true;
        center_.post(platform::screenSaverWillStopNotification);
        // Still here: every view has stopped and none ended the process (a preview).
        // XScreenSaver's SIGTERM means the hack must go, so the host goes too, and a
        // teardown that hangs cannot keep it alive past a second.
        std::thread([] {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            _exit(0);
        }).detach();
        gtk_main_quit();
    }

private:
    platform::DistributedNotificationCenter& center_;
    bool stopping_ = false;
};

// XScreenSaver may send SIGTERM the moment it started the hack. The handlers are
// installed before anything else runs; a stop asked for before the view exists
// waits for it (the signal is delivered on the main loop only).
Stopper* activeStopper = nullptr;
bool stopRequested = false;

gboolean onStopSignal(gpointer) {
    stopRequested = true;
    if (activeStopper != nullptr) {
        activeStopper->stop();
    }
    return G_SOURCE_CONTINUE;
}

std::optional<platform::Rect> monitorFrameAt(const platform::Rect& target) {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_monitor_at_point(display, static_cast<int>(target.x + target.width / 2),
                                                           static_cast<int>(target.y + target.height / 2));
    return platform::gtk::frameOfMonitor(monitor != nullptr ? monitor : platform::gtk::primaryOrFirstMonitor(display));
}

}  // namespace

// An exception that gets this far ends the process, as XScreenSaver expects of a hack
// that cannot go on; there is nothing to clean up that the system does not.
int main(int argc, char** argv) {  // NOLINT(bugprone-exception-escape)
    g_unix_signal_add(SIGTERM, onStopSignal, nullptr);
    g_unix_signal_add(SIGINT, onStopSignal, nullptr);
    // Started through the launcher, the stop signals come blocked (and perhaps
    // already pending): handled now, they may arrive.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    sigprocmask(SIG_UNBLOCK, &stops, nullptr);
    g_set_prgname(product::screenSaverProgramName);
    g_set_application_name(product::screenSaverName);

    const std::vector<std::string> rawArguments(argv + 1, argv + argc);
    const char* xscreensaverWindow = std::getenv("XSCREENSAVER_WINDOW");
    // Another client's window exists only on X11 (XWayland, on a Wayland desktop).
    if (host::wantsForeignWindow(rawArguments, xscreensaverWindow)) {
        gdk_set_allowed_backends("x11");
    }
    // Made before the toolkit starts: it sets what the engine's processes read from the
    // environment. The host leaves GL to the engine (XScreenSaver's window may need it).
    platform::gtk::WebEngineTuning engine({});
    if (!gtk_init_check(&argc, &argv)) {
        return fail("Cannot open a display: set DISPLAY to a running X server.");
    }
    const auto parsed = host::parseHostOptions(std::vector<std::string>(argv + 1, argv + argc), xscreensaverWindow);
    if (!parsed.options) {
        printUsage();
        return fail(parsed.error);
    }
    const host::HostOptions& options = *parsed.options;
    if (options.help) {
        printUsage();
        return 0;
    }

    std::filesystem::path bundlePath;
    if (options.saverPath) {
        bundlePath = *options.saverPath;
    } else if (const auto bundle =
                   platform::Bundle::locate(platform::runningExecutablePath(), product::screenSaverBundleName)) {
        bundlePath = bundle->bundlePath();
    } else {
        return fail(std::string("Cannot find ") + product::screenSaverBundleName + " next to " +
                    platform::runningExecutablePath().string());
    }
    auto loaded = host::loadSaverModule(bundlePath);
    if (auto* reason = std::get_if<std::string>(&loaded)) {
        return fail(*reason);
    }
    const auto& saver = std::get<host::LoadedSaver>(loaded);

    // The window the view is shown in, its frame, and whether it is a preview.
    std::unique_ptr<platform::Window> window;
    host::EmbeddedWindow* embedded = nullptr;
    platform::Rect frame;
    bool isPreview = false;
    if (options.target == host::TargetKind::ownWindow) {
        const auto screen = monitorFrameAt({0, 0, 0, 0});
        if (!screen) {
            return fail("No screen to show the screen saver on.");
        }
        frame = *screen;
        window = std::make_unique<platform::gtk::GtkPlatformWindow>(frame);
    } else {
        auto attached = options.target == host::TargetKind::rootWindow ? host::EmbeddedWindow::attachToRoot()
                                                                       : host::EmbeddedWindow::attach(options.windowID);
        if (auto* reason = std::get_if<std::string>(&attached)) {
            return fail(*reason);
        }
        auto target = std::move(std::get<std::unique_ptr<host::EmbeddedWindow>>(attached));
        embedded = target.get();
        frame = target->frame();
        const auto screen = monitorFrameAt(frame);
        isPreview = screen && host::isPreviewFrame(frame, *screen);
        window = std::move(target);
    }

    if (embedded != nullptr && embedded->isAnotherClientsWindow()) {
        engine.leaveAccelerationToEngine();
    }
    host::HostServices services(engine);
    Stopper stopper(services.distributedNotificationCenter());
    if (embedded != nullptr) {
        embedded->setOnTargetGone([&stopper] { stopper.stop(); });
    }

    // The screen saver runs without the application: its built-in site is found, or
    // started, here too, off the main loop; the view's first page waits for it.
    platform::gtk::OwnViewSite::shared().start(ViewSite::origin());
    std::unique_ptr<screensaver::ScreenSaverView> view(saver.principalClass->makeView(&frame, isPreview, &services));
    if (!view) {
        return fail(std::string("The class ") + saver.principalClass->name + " gave no view.");
    }
    window->setBackgroundColor(platform::Color::black);
    view->moveToWindow(window.get());
    window->makeKeyAndOrderFront();
    view->startAnimation();
    activeStopper = &stopper;
    if (stopRequested) {
        g_idle_add(
            [](gpointer) -> gboolean {
                activeStopper->stop();
                return G_SOURCE_REMOVE;
            },
            nullptr);
    }

    gtk_main();
    activeStopper = nullptr;

    view.reset();
    window.reset();
    return 0;
}
