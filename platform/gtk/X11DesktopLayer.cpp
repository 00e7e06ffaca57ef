#include "platform/gtk/X11DesktopLayer.h"

#include "platform/DesktopStacking.h"
#include "platform/Log.h"
#include "platform/gtk/X11Display.h"
#include "platform/linux/ProcessCommandLine.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace platform::gtk {

// Xlib's window id; plain "Window" is the platform's window class here.
using XWindow = ::Window;

namespace {

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

// WM_CLASS holds "instance\0Class\0".
IconDesktopSighting sightingOf(XWindow window) {
    const auto wmClass = readProperty<char>(window, "WM_CLASS", XA_STRING);
    const std::string both(wmClass.begin(), wmClass.end());
    const auto instanceEnd = both.find('\0');
    IconDesktopSighting sighting;
    sighting.instance = both.substr(0, instanceEnd);
    if (instanceEnd != std::string::npos) {
        sighting.windowClass = both.substr(instanceEnd + 1);
        sighting.windowClass = sighting.windowClass.substr(0, sighting.windowClass.find('\0'));
    }
    // The process that says it owns the window, if it runs here.
    const auto pid = readProperty<unsigned long>(window, "_NET_WM_PID", XA_CARDINAL);
    if (!pid.empty()) {
        sighting.commandLine = processCommandLine(static_cast<pid_t>(pid.front()));
    }
    return sighting;
}

// The program's name, reduced to characters that are safe in a log line: the class
// names the program (caja calls its desktop's instance "desktop_window"), capitalised
// as X11 classes are.
std::string programName(const IconDesktopSighting& sighting) {
    std::string name = sighting.windowClass.empty() ? sighting.instance : sighting.windowClass;
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

// Long enough for a manager to finish what it does with a new window (frame it, place
// it, stack it) and to lower the desktop beneath a window that has just mapped.
constexpr auto treatmentPatience = std::chrono::milliseconds(500);

X11DesktopLayer::X11DesktopLayer(GtkWindow* window, const Rect& place)
    : window_(window), place_(place), follower_(std::nullopt), treatment_(place, treatmentPatience) {
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
    compositorWatch_ = std::make_unique<X11CompositorWatch>(window_);
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
    if (GdkWindow* surface = gtk_widget_get_window(widget)) {
        gdk_window_set_override_redirect(surface, unmanaged ? TRUE : FALSE);
        if (unmanaged) {
            // A window maps where it stands in the stack, and a new one stands on top: an
            // unmanaged one is lowered first, so it never covers the windows and icon
            // desktops it belongs under, even for a moment.
            gdk_window_lower(surface);
        }
    }
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
    if (pendingLook_ != 0) {
        g_source_remove(pendingLook_);
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
        layer->treatment_.forget();
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
        keepInPlace();
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
        judgeTreatment();
    }
    XFlush(display);
    reportOpaqueIconLayers();
}

namespace {

// The window's ancestor that is a child of the root: the manager's frame around it,
// or the window itself when it has none. None when the window is gone.
XWindow toplevelOf(XWindow window, XWindow root) {
    GdkDisplay* display = gdk_display_get_default();
    gdk_x11_display_error_trap_push(display);
    XWindow current = window;
    while (current != None) {
        XWindow rootReturn = None;
        XWindow parent = None;
        XWindow* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(xdisplay(), current, &rootReturn, &parent, &children, &count) == 0) {
            current = None;
            break;
        }
        if (children != nullptr) {
            XFree(children);
        }
        if (parent == root) {
            break;
        }
        current = parent;
    }
    gdk_x11_display_error_trap_pop_ignored(display);
    return current;
}

std::vector<XWindow> rootChildrenBottomFirst() {
    Display* display = xdisplay();
    XWindow rootReturn = None;
    XWindow parent = None;
    XWindow* children = nullptr;
    unsigned int count = 0;
    std::vector<XWindow> order;
    if (XQueryTree(display, DefaultRootWindow(display), &rootReturn, &parent, &children, &count) != 0) {
        order.assign(children, children + count);
        XFree(children);
    }
    return order;
}

// Mapped, and neither hidden nor on another workspace: managers that composite keep
// the windows of other workspaces mapped and stack them out of the way (mutter puts
// them beneath everything).
bool shownOnThisWorkspace(XWindow client) {
    if (!attributesOf(client).viewable) {
        return false;
    }
    for (Atom state : readProperty<Atom>(client, "_NET_WM_STATE", XA_ATOM)) {
        if (state == atom("_NET_WM_STATE_HIDDEN")) {
            return false;
        }
    }
    const auto desktop = readProperty<unsigned long>(client, "_NET_WM_DESKTOP", XA_CARDINAL);
    const auto current =
        readProperty<unsigned long>(DefaultRootWindow(xdisplay()), "_NET_CURRENT_DESKTOP", XA_CARDINAL);
    return desktop.empty() || current.empty() || desktop.front() == 0xFFFFFFFFUL || desktop.front() == current.front();
}

// Whether a client takes button presses on the root window: only one client can, and a
// manager with a root menu does.
bool rootTakesClicks() {
    GdkDisplay* display = gdk_display_get_default();
    gdk_x11_display_error_trap_push(display);
    XWindowAttributes attributes{};
    const Status ok = XGetWindowAttributes(xdisplay(), DefaultRootWindow(xdisplay()), &attributes);
    gdk_x11_display_error_trap_pop_ignored(display);
    return ok != 0 && (attributes.all_event_masks & ButtonPressMask) != 0;
}

// Whether a shown window of another program, not a desktop layer, lies beneath ours.
bool aboveAnOrdinaryClient(XWindow ours, XWindow ourToplevel) {
    const XWindow root = DefaultRootWindow(xdisplay());
    const auto order = rootChildrenBottomFirst();
    const auto ourPosition = std::find(order.begin(), order.end(), ourToplevel);
    if (ourPosition == order.end()) {
        return false;
    }
    for (XWindow client : readProperty<XWindow>(root, "_NET_CLIENT_LIST", XA_WINDOW)) {
        if (client == ours || isDesktopType(client) || !shownOnThisWorkspace(client)) {
            continue;
        }
        const auto position = std::find(order.begin(), ourPosition, toplevelOf(client, root));
        if (position != ourPosition) {
            return true;
        }
    }
    return false;
}

}  // namespace

void X11DesktopLayer::judgeTreatment() {
    GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window_));
    const XWindow ours = GDK_WINDOW_XID(surface);
    const XWindow root = DefaultRootWindow(xdisplay());
    const XWindow toplevel = toplevelOf(ours, root);
    if (toplevel == None || !attributesOf(ours).viewable) {
        return;
    }
    GdkDisplay* display = gdk_display_get_default();
    gdk_x11_display_error_trap_push(display);
    XWindowAttributes attributes{};
    int x = 0;
    int y = 0;
    XWindow child = None;
    const bool read = XGetWindowAttributes(xdisplay(), ours, &attributes) != 0 &&
                      XTranslateCoordinates(xdisplay(), ours, root, 0, 0, &x, &y, &child) != 0;
    if (gdk_x11_display_error_trap_pop(display) != 0 || !read) {
        return;
    }
    const double scale = gdk_window_get_scale_factor(surface);
    const DesktopWindowSighting sighting{
        toplevel != ours,
        Rect{x / scale, y / scale, attributes.width / scale, attributes.height / scale},
        aboveAnOrdinaryClient(ours, toplevel),
        rootTakesClicks(),
    };
    const auto now = DesktopWindowTreatment::Clock::now();
    const auto verdict = treatment_.judge(sighting, now);
    switch (verdict.kind) {
    case DesktopWindowTreatment::Verdict::Kind::fits: break;
    case DesktopWindowTreatment::Verdict::Kind::lookAgain:
        if (pendingLook_ == 0) {
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(verdict.lookAgainAt - now);
            pendingLook_ = g_timeout_add(static_cast<guint>(std::max<long long>(wait.count(), 0) + 1),
                                         &X11DesktopLayer::onLookAgainDue, this);
        }
        break;
    case DesktopWindowTreatment::Verdict::Kind::mishandled:
        if (const auto change = follower_.managerMishandledWindow(verdict.what)) {
            becomeUnmanaged(change->logLine);
        }
        break;
    }
}

gboolean X11DesktopLayer::onLookAgainDue(gpointer self) {
    auto* layer = static_cast<X11DesktopLayer*>(self);
    layer->pendingLook_ = 0;
    layer->scheduleCheck();
    return G_SOURCE_REMOVE;
}

// The manager lets go of a window it managed when the window is withdrawn, and puts
// it back on the root window where its frame was; a window that is not the manager's
// any more takes its own place at once rather than waiting for that.
void X11DesktopLayer::becomeUnmanaged(const std::string& logLine) {
    systemLog(logLine);
    GtkWidget* widget = GTK_WIDGET(window_);
    const bool shown = gtk_widget_get_visible(widget) != FALSE;
    if (shown) {
        gtk_widget_hide(widget);
    }
    GdkWindow* surface = gtk_widget_get_window(widget);
    const XWindow ours = GDK_WINDOW_XID(surface);
    const XWindow root = DefaultRootWindow(xdisplay());
    const int scale = gdk_window_get_scale_factor(surface);
    GdkDisplay* display = gdk_display_get_default();
    gdk_x11_display_error_trap_push(display);
    if (toplevelOf(ours, root) != ours) {
        XReparentWindow(xdisplay(), ours, root, static_cast<int>(std::lround(place_.x * scale)),
                        static_cast<int>(std::lround(place_.y * scale)));
    }
    gdk_x11_display_error_trap_pop_ignored(display);
    applyStyle();
    if (shown) {
        gtk_widget_show(widget);
    }
    keepInPlace();
    scheduleCheck();
}

// An unmanaged window is where it was put unless a manager that used to manage it
// put it elsewhere on letting it go.
void X11DesktopLayer::keepInPlace() {
    GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window_));
    const XWindow ours = GDK_WINDOW_XID(surface);
    const XWindow root = DefaultRootWindow(xdisplay());
    const int scale = gdk_window_get_scale_factor(surface);
    const int x = static_cast<int>(std::lround(place_.x * scale));
    const int y = static_cast<int>(std::lround(place_.y * scale));
    const auto width = static_cast<unsigned int>(std::lround(place_.width * scale));
    const auto height = static_cast<unsigned int>(std::lround(place_.height * scale));
    GdkDisplay* display = gdk_display_get_default();
    gdk_x11_display_error_trap_push(display);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(xdisplay(), ours, &attributes) != 0) {
        if (attributes.root == root && toplevelOf(ours, root) != ours) {
            XReparentWindow(xdisplay(), ours, root, x, y);
        } else if (attributes.x != x || attributes.y != y || static_cast<unsigned int>(attributes.width) != width ||
                   static_cast<unsigned int>(attributes.height) != height) {
            XMoveResizeWindow(xdisplay(), ours, x, y, width, height);
        }
    }
    gdk_x11_display_error_trap_pop_ignored(display);
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
    const auto clients = readProperty<XWindow>(DefaultRootWindow(xdisplay()), "_NET_CLIENT_LIST", XA_WINDOW);
    // A window that left the list is forgotten: the X server hands a closed client's
    // window ids to the next client, so an icon program started again may paint its
    // desktop in a window of the same id.
    std::erase_if(reportedLayers_, [&clients](std::uint64_t reported) {
        return std::find(clients.begin(), clients.end(), reported) == clients.end();
    });
    for (XWindow client : clients) {
        if (client == ours || reportedLayers_.count(client) != 0 || !isDesktopType(client)) {
            continue;
        }
        const auto attributes = attributesOf(client);
        // A 32-bit window can be see-through, where the manager lets it be; any other
        // depth paints every pixel.
        const bool seeThrough = attributes.depth == 32 && !managerDrawsDesktopWindowsOpaque(follower_.manager());
        if (!attributes.viewable || seeThrough) {
            continue;
        }
        reportedLayers_.insert(client);
        const auto sighting = sightingOf(client);
        systemLog("⚠️ The desktop icons of " + programName(sighting) +
                  " paint an opaque desktop that hides the wallpaper; the wallpaper stays beneath them so that "
                  "no hidden icon can be clicked.");
        if (hidden_) {
            hidden_(sighting);
        }
    }
}

}  // namespace platform::gtk
