#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// How the wallpaper becomes the desktop on an X11 session.
enum class DesktopWindowStyle {
    // A window of type DESKTOP that the window manager keeps below every other
    // window, on every workspace and out of the taskbar.
    managedDesktopType,
    // A window the window manager never sees (override-redirect) that keeps itself at
    // the bottom of the stack: for managers that frame or float a DESKTOP window.
    unmanagedAtBottom,
};

// The style for the window manager that announces itself by this name
// (_NET_WM_NAME of its supporting window); no name means no manager is running.
DesktopWindowStyle desktopWindowStyleFor(std::optional<std::string_view> windowManagerName);

// Whether the window manager announcing itself by this name draws every DESKTOP window
// opaque, 32-bit ones included. KWin does (a 32-bit DESKTOP window filled with alpha 0
// shows black there), so under it any icon layer hides the wallpaper beneath.
bool managerDrawsDesktopWindowsOpaque(std::optional<std::string_view> windowManagerName);

// Follows the window manager of a session as it starts, ends or is replaced (a
// session that starts the wallpaper before its manager, `mutter --replace`…): the
// style the wallpaper window has, and when it has to change.
class DesktopStyleFollower {
public:
    explicit DesktopStyleFollower(std::optional<std::string_view> windowManagerName);

    DesktopWindowStyle style() const { return style_; }
    // The name the running manager announces; none when no manager runs.
    const std::optional<std::string>& manager() const { return manager_; }

    struct Change {
        DesktopWindowStyle style;
        std::string logLine;
    };

    // The manager running now (none when it is gone): the new style when the window
    // must change, with the line that tells why; nothing when the current style fits
    // this manager too, or it is the same manager announcing itself again.
    std::optional<Change> managerNow(std::optional<std::string_view> windowManagerName);

    // The running manager was seen to mishandle the managed window (`what` it did, as
    // a phrase such as "put it in a frame"): the unmanaged style for as long as it runs, with
    // the line that tells why; nothing when the window is unmanaged already.
    std::optional<Change> managerMishandledWindow(std::string_view what);

private:
    std::optional<std::string> manager_;
    DesktopWindowStyle style_;
};

}  // namespace platform
