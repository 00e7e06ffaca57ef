#include "platform/gtk/X11DesktopLayer.h"

#include "platform/DesktopStacking.h"
#include "platform/Log.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace platform::gtk {

// Xlib's window id; plain "Window" is the platform's window class here.
using XWindow = ::Window;

namespace {

Display* xdisplay() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }

Atom atom(const char* name) { return gdk_x11_get_xatom_by_name_for_display(gdk_display_get_default(), name); }

// One property of a window as raw items; empty when the window or property is gone.
template <class Item>
std::vector<Item> readProperty(XWindow window, const char* name, Atom type) {
    std::vector<Item> items;
    GdkDisplay* display = gdk_display_get_default();
    gdk_x11_display_error_trap_push(display);
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(xdisplay(), window, atom(name), 0, 1 << 16, False, type, &actualType, &format,
                                          &count, &remaining, &data);
    if (gdk_x11_display_error_trap_pop(display) == 0 && status == Success && data != nullptr && actualType == type) {
        if (format == 8) {
            items.assign(reinterpret_cast<const Item*>(data), reinterpret_cast<const Item*>(data) + count);
        } else if (format == 32) {
            // Xlib hands 32-bit items over as longs.
            const auto* longs = reinterpret_cast<const unsigned long*>(data);
            for (unsigned long i = 0; i < count; ++i) {
                items.push_back(static_cast<Item>(longs[i]));
            }
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    return items;
}

// The supporting window of the running window manager and the name it announces
// there; no name when no manager runs.
struct ManagerSighting {
    XWindow check = None;
    std::optional<std::string> name;
};

ManagerSighting runningManager() {
    const auto check = readProperty<XWindow>(DefaultRootWindow(xdisplay()), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (check.empty()) {
        return {};
    }
    // A manager that died leaves its property behind: its check window names itself.
    const auto self = readProperty<XWindow>(check.front(), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (self.empty() || self.front() != check.front()) {
        return {};
    }
    const auto name = readProperty<char>(check.front(), "_NET_WM_NAME", atom("UTF8_STRING"));
    return {check.front(), std::string(name.begin(), name.end())};
}

bool isDesktopType(XWindow window) {
    for (Atom type : readProperty<Atom>(window, "_NET_WM_WINDOW_TYPE", XA_ATOM)) {
        if (type == atom("_NET_WM_WINDOW_TYPE_DESKTOP")) {
            return true;
        }
    }
    return false;
}

// The program's name, reduced to characters that are safe in a log line. WM_CLASS
// holds "instance\0Class\0"; the class names the program (caja calls its desktop's
// instance "desktop_window"), capitalised as X11 classes are.
std::string programName(XWindow window) {
    const auto wmClass = readProperty<char>(window, "WM_CLASS", XA_STRING);
    const std::string both(wmClass.begin(), wmClass.end());
    const auto instanceEnd = both.find('\0');
    std::string name = instanceEnd == std::string::npos ? both : both.substr(instanceEnd + 1);
    name = name.substr(0, name.find('\0'));
    if (name.empty()) {
        name = both.substr(0, instanceEnd);
    }
    std::string safe;
    for (char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || c == '.';
        safe += plain ? static_cast<char>(std::tolower(static_cast<unsigned char>(c))) : '?';
    }
    return safe.empty() ? std::string("an unnamed program") : safe;
}

struct Attributes {
    bool viewable = false;
    bool unmapped = false;
    int depth = 0;
};

Attributes attributesOf(XWindow window) {
    GdkDisplay* display = gdk_display_get_default();
    gdk_x11_display_error_trap_push(display);
    XWindowAttributes attributes{};
    const Status ok = XGetWindowAttributes(xdisplay(), window, &attributes);
    if (gdk_x11_display_error_trap_pop(display) != 0 || ok == 0) {
        return {};
    }
    return {attributes.map_state == IsViewable, attributes.map_state == IsUnmapped, attributes.depth};
}

}  // namespace

X11DesktopLayer::X11DesktopLayer(GtkWindow* window) : window_(window), follower_(std::nullopt) {
    const auto manager = runningManager();
    managerCheck_ = manager.check;
    follower_ = DesktopStyleFollower(manager.name);
    gtk_window_set_type_hint(window_, GDK_WINDOW_TYPE_HINT_DESKTOP);
    // The desktop never takes the keyboard.
    gtk_window_set_accept_focus(window_, FALSE);
    gtk_window_set_focus_on_map(window_, FALSE);
    gtk_widget_realize(GTK_WIDGET(window_));
    GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window_));
    applyStyle();
    // A compositing manager may stop compositing a full-screen unmanaged window and let
    // it draw straight to the screen, over everything (xfwm4 does, now and then, to
    // an icon layer mapped before the wallpaper): ask it to keep compositing ours.
    const long keepComposited = 2;
    XChangeProperty(xdisplay(), GDK_WINDOW_XID(surface), atom("_NET_WM_BYPASS_COMPOSITOR"), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&keepComposited), 1);
    root_ = gdk_screen_get_root_window(gtk_window_get_screen(window_));
    // Substructure: windows mapping and restacking, and the manager's supporting window
    // going away with its manager. Structure: a new manager's MANAGER message.
    // Properties: the client stacking list and the manager's supporting window.
    gdk_window_set_events(root_, static_cast<GdkEventMask>(gdk_window_get_events(root_) | GDK_SUBSTRUCTURE_MASK |
                                                           GDK_STRUCTURE_MASK | GDK_PROPERTY_CHANGE_MASK));
    gdk_window_add_filter(root_, &X11DesktopLayer::onRootEvent, this);
}

// The window manager reads the override-redirect flag and the initial states only
// when a window maps: a window already shown changes style by being withdrawn and
// shown again (GTK shows it sticky, out of the taskbar and below, as it was asked).
void X11DesktopLayer::applyStyle() {
    GtkWidget* widget = GTK_WIDGET(window_);
    const bool unmanaged = follower_.style() == DesktopWindowStyle::unmanagedAtBottom;
    const bool shown = gtk_widget_get_visible(widget) != FALSE;
    if (shown) {
        gtk_widget_hide(widget);
    }
    gdk_window_set_override_redirect(gtk_widget_get_window(widget), unmanaged ? TRUE : FALSE);
    gtk_window_set_keep_below(window_, unmanaged ? FALSE : TRUE);
    if (shown) {
        gtk_widget_show(widget);
    }
}

X11DesktopLayer::~X11DesktopLayer() {
    gdk_window_remove_filter(root_, &X11DesktopLayer::onRootEvent, this);
    if (pendingCheck_ != 0) {
        g_source_remove(pendingCheck_);
    }
    if (pendingRetry_ != 0) {
        g_source_remove(pendingRetry_);
    }
    if (pendingManagerCheck_ != 0) {
        g_source_remove(pendingManagerCheck_);
    }
}

void X11DesktopLayer::windowMapped() { scheduleCheck(); }

namespace {

// A structure notification that reached the root because its substructure is watched:
// the window it is about is not the window it was delivered to.
bool isAboutAnotherWindow(const XEvent& event) {
    switch (event.type) {
    case MapNotify: return event.xmap.event != event.xmap.window;
    case UnmapNotify: return event.xunmap.event != event.xunmap.window;
    case ConfigureNotify: return event.xconfigure.event != event.xconfigure.window;
    case ReparentNotify: return event.xreparent.event != event.xreparent.window;
    case CirculateNotify: return event.xcirculate.event != event.xcirculate.window;
    case DestroyNotify: return event.xdestroywindow.event != event.xdestroywindow.window;
    case GravityNotify: return event.xgravity.event != event.xgravity.window;
    case CreateNotify: return true;
    default: return false;
    }
}

}  // namespace

GdkFilterReturn X11DesktopLayer::onRootEvent(GdkXEvent* xevent, GdkEvent*, gpointer self) {
    const auto* event = static_cast<XEvent*>(xevent);
    auto* layer = static_cast<X11DesktopLayer*>(self);
    switch (event->type) {
    case MapNotify:
    case UnmapNotify:
    case ConfigureNotify:
    case ReparentNotify:
    case CirculateNotify: layer->scheduleCheck(); break;
    case PropertyNotify:
        if (event->xproperty.atom == atom("_NET_CLIENT_LIST_STACKING")) {
            layer->scheduleCheck();
        } else if (event->xproperty.atom == atom("_NET_SUPPORTING_WM_CHECK")) {
            layer->scheduleManagerCheck();
        }
        break;
    case DestroyNotify:
        if (layer->managerCheck_ != None && event->xdestroywindow.window == layer->managerCheck_) {
            layer->scheduleManagerCheck();
        }
        break;
    case ClientMessage:
        // A manager that takes over the screen's WM_Sn selection says so to the root.
        if (event->xclient.message_type == atom("MANAGER") && event->xclient.format == 32 &&
            static_cast<Atom>(event->xclient.data.l[1]) == layer->managerSelection()) {
            layer->scheduleManagerCheck();
        }
        break;
    default: break;
    }
    // Watching the root's substructure brings news of every other window too. GDK
    // would take those for the root window's own map and unmap (and thaw updates of
    // the root that were never frozen): they are only ours to read.
    return isAboutAnotherWindow(*event) ? GDK_FILTER_REMOVE : GDK_FILTER_CONTINUE;
}

// Windows move in bursts (a drag is one ConfigureNotify per pointer step): one
// check after the burst is enough.
void X11DesktopLayer::scheduleCheck() {
    if (pendingCheck_ == 0) {
        pendingCheck_ = g_timeout_add(50, &X11DesktopLayer::onCheckDue, this);
    }
}

Atom X11DesktopLayer::managerSelection() const {
    const std::string name = "WM_S" + std::to_string(gdk_x11_screen_get_screen_number(gtk_window_get_screen(window_)));
    return atom(name.c_str());
}

// A manager starting up announces itself in steps, and one replacing another first
// waits for the other to go: the name is read once the announcements settle.
void X11DesktopLayer::scheduleManagerCheck() {
    if (pendingManagerCheck_ != 0) {
        g_source_remove(pendingManagerCheck_);
    }
    pendingManagerCheck_ = g_timeout_add(250, &X11DesktopLayer::onManagerCheckDue, this);
}

gboolean X11DesktopLayer::onManagerCheckDue(gpointer self) {
    auto* layer = static_cast<X11DesktopLayer*>(self);
    layer->pendingManagerCheck_ = 0;
    const auto manager = runningManager();
    layer->managerCheck_ = manager.check;
    if (const auto change = layer->follower_.managerNow(manager.name)) {
        systemLog(change->logLine);
        layer->applyStyle();
        layer->scheduleCheck();
    }
    return G_SOURCE_REMOVE;
}

gboolean X11DesktopLayer::onCheckDue(gpointer self) {
    auto* layer = static_cast<X11DesktopLayer*>(self);
    layer->pendingCheck_ = 0;
    layer->keepBeneath();
    return G_SOURCE_REMOVE;
}

bool X11DesktopLayer::mayRestack() {
    switch (budget_.request(RestackBudget::Clock::now())) {
    case RestackBudget::Verdict::allowed: return true;
    case RestackBudget::Verdict::refusedFirstTime:
        systemLog(
            "⚠️ Another program keeps putting its window beneath the wallpaper; the wallpaper stops "
            "restacking itself for a while.");
        [[fallthrough]];
    case RestackBudget::Verdict::refused:
        if (pendingRetry_ == 0) {
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(budget_.nextAllowed() -
                                                                                    RestackBudget::Clock::now());
            pendingRetry_ = g_timeout_add(static_cast<guint>(std::max<long long>(wait.count(), 0) + 1),
                                          &X11DesktopLayer::onBudgetRenewed, this);
        }
        return false;
    }
    return false;
}

gboolean X11DesktopLayer::onBudgetRenewed(gpointer self) {
    auto* layer = static_cast<X11DesktopLayer*>(self);
    layer->pendingRetry_ = 0;
    layer->scheduleCheck();
    return G_SOURCE_REMOVE;
}

void X11DesktopLayer::keepBeneath() {
    GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window_));
    if (surface == nullptr) {
        return;
    }
    showAgainIfUnmappedBehindOurBack();
    if (!gtk_widget_get_mapped(GTK_WIDGET(window_))) {
        return;
    }
    Display* display = xdisplay();
    const XWindow ours = GDK_WINDOW_XID(surface);
    if (follower_.style() == DesktopWindowStyle::unmanagedAtBottom) {
        XWindow rootReturn = None;
        XWindow parent = None;
        XWindow* children = nullptr;
        unsigned int count = 0;
        std::vector<StackedWindow> order;
        if (XQueryTree(display, DefaultRootWindow(display), &rootReturn, &parent, &children, &count) != 0) {
            for (unsigned int i = 0; i < count; ++i) {
                order.push_back({children[i], false});
            }
            XFree(children);
        }
        if (restackAmongRootChildren(order, ours).kind == Restack::Kind::toBottom && mayRestack()) {
            XLowerWindow(display, ours);
        }
    } else {
        std::vector<StackedWindow> order;
        for (XWindow client :
             readProperty<XWindow>(DefaultRootWindow(display), "_NET_CLIENT_LIST_STACKING", XA_WINDOW)) {
            order.push_back({client, client != ours && isDesktopType(client)});
        }
        const auto restack = restackAmongDesktopClients(order, ours);
        if (restack.kind == Restack::Kind::belowSibling && mayRestack()) {
            // Asking to go below that sibling is refused (a framed window has no
            // sibling among other clients) or ignored by managers; asking to go to the
            // bottom is honoured, and the manager keeps the wallpaper in the desktop
            // layer, so the bottom of the stack is beneath every icon layer.
            XWindowChanges changes{};
            changes.stack_mode = Below;
            GdkDisplay* gdkDisplay = gdk_display_get_default();
            gdk_x11_display_error_trap_push(gdkDisplay);
            XReconfigureWMWindow(display, ours, DefaultScreen(display), CWStackMode, &changes);
            gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
        }
    }
    XFlush(display);
    reportOpaqueIconLayers();
}

// Nobody but us maps or unmaps an unmanaged window, yet a manager on its way out may
// still withdraw the window it used to manage after we have shown it again in our
// own style (mutter leaving for openbox does, under load), and a stray tool can unmap
// it. A wallpaper we mean to show is shown again; the restack budget keeps a program
// that insists from turning this into a fight.
void X11DesktopLayer::showAgainIfUnmappedBehindOurBack() {
    GtkWidget* widget = GTK_WIDGET(window_);
    if (follower_.style() != DesktopWindowStyle::unmanagedAtBottom || !gtk_widget_get_visible(widget)) {
        return;
    }
    const XWindow ours = GDK_WINDOW_XID(gtk_widget_get_window(widget));
    if (attributesOf(ours).unmapped && mayRestack()) {
        XMapWindow(xdisplay(), ours);
        XFlush(xdisplay());
    }
}

void X11DesktopLayer::reportOpaqueIconLayers() {
    const XWindow ours = GDK_WINDOW_XID(gtk_widget_get_window(GTK_WIDGET(window_)));
    for (XWindow client : readProperty<XWindow>(DefaultRootWindow(xdisplay()), "_NET_CLIENT_LIST", XA_WINDOW)) {
        if (client == ours || reportedLayers_.count(client) != 0 || !isDesktopType(client)) {
            continue;
        }
        const auto attributes = attributesOf(client);
        // A 32-bit window can be see-through; any other depth paints every pixel.
        if (!attributes.viewable || attributes.depth == 32) {
            continue;
        }
        reportedLayers_.insert(client);
        systemLog("⚠️ The desktop icons of " + programName(client) +
                  " paint an opaque desktop that hides the wallpaper; the wallpaper stays beneath them so that "
                  "no hidden icon can be clicked.");
    }
}

}  // namespace platform::gtk
