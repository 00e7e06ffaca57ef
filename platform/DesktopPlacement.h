#pragma once

#include <optional>
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

}  // namespace platform
