#include "platform/gtk/DisplayInstance.h"
#include "platform/ProductNames.h"

#include "platform/linux/ReopenChannel.h"

#include <gdk/gdkx.h>
#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#endif
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace platform::gtk {

namespace {

constexpr const char* selectionPrefix = "_TAVELO_LIVE_WALLPAPER_S";
constexpr const char* socketProperty = "_TAVELO_LIVE_WALLPAPER_REOPEN_SOCKET";

std::string ownReopenSocket() {
    return instanceRuntimeFolder() + "/" + std::string(product::programName) + "-" + std::to_string(getuid()) + "-" +
           std::to_string(getpid()) + ".socket";
}

// Another client's word on where to knock is taken only if it names a socket of
// ours in our own runtime folder.
bool plausibleSocket(const std::string& path) {
    const std::string prefix =
        instanceRuntimeFolder() + "/" + std::string(product::programName) + "-" + std::to_string(getuid()) + "-";
    if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    const std::string rest = path.substr(prefix.size());
    const std::string suffix = ".socket";
    if (rest.size() <= suffix.size() || rest.compare(rest.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    for (size_t i = 0; i < rest.size() - suffix.size(); ++i) {
        if (rest[i] < '0' || rest[i] > '9') {
            return false;
        }
    }
    return true;
}

std::string readSocketProperty(Display* x, Window owner, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::string value;
    if (XGetWindowProperty(x, owner, property, 0, 1024, False, XA_STRING, &type, &format, &count, &remaining, &data) ==
            Success &&
        data != nullptr && type == XA_STRING && format == 8) {
        value.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return value;
}

}  // namespace

DisplayInstance::DisplayInstance(GdkDisplay* display) {
    if (GDK_IS_X11_DISPLAY(display)) {
        claimX11Selection(display);
    } else {
        claimWaylandSocket();
    }
}

DisplayInstance::~DisplayInstance() {
    if (window_ != 0) {
        XDestroyWindow(static_cast<Display*>(xdisplay_), window_);
        XFlush(static_cast<Display*>(xdisplay_));
    }
}

void DisplayInstance::claimX11Selection(GdkDisplay* display) {
    auto* x = gdk_x11_display_get_xdisplay(display);
    xdisplay_ = x;
    const int screen = DefaultScreen(x);
    const Atom selection = XInternAtom(x, (selectionPrefix + std::to_string(screen)).c_str(), False);
    const Atom property = XInternAtom(x, socketProperty, False);
    const Window own = XCreateSimpleWindow(x, RootWindow(x, screen), -1, -1, 1, 1, 0, 0, 0);
    const std::string socket = ownReopenSocket();
    XChangeProperty(x, own, property, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(socket.data()), static_cast<int>(socket.size()));

    // Look and take in one step: two launches at the same moment cannot both
    // find the selection free.
    gdk_x11_display_error_trap_push(display);
    XGrabServer(x);
    const Window owner = XGetSelectionOwner(x, selection);
    std::string running;
    if (owner == None) {
        XSetSelectionOwner(x, selection, own, CurrentTime);
        acquired_ = XGetSelectionOwner(x, selection) == own;
    } else {
        running = readSocketProperty(x, owner, property);
    }
    XUngrabServer(x);
    XSync(x, False);
    gdk_x11_display_error_trap_pop_ignored(display);

    if (acquired_) {
        window_ = own;
        reopenSocket_ = socket;
    } else {
        XDestroyWindow(x, own);
        XFlush(x);
        reopenSocket_ = plausibleSocket(running) ? running : std::string();
    }
}

void DisplayInstance::claimWaylandSocket() {
    namespace fs = std::filesystem;
    std::string name = "wayland-0";
    if (const char* value = std::getenv("WAYLAND_DISPLAY"); value != nullptr && value[0] != '\0') {
        name = value;
    }
    fs::path socket = name;
    if (socket.is_relative()) {
        socket = fs::path(instanceRuntimeFolder()) / socket;
    }
    // Links and relative spellings of one socket are one compositor.
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(socket, error);
    lock_ = std::make_unique<SingleInstanceLock>("wayland" + (error ? socket : resolved).string());
    acquired_ = lock_->acquired();
    reopenSocket_ = reopenSocketPathFor(lock_->path());
}

}  // namespace platform::gtk
