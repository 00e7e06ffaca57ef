#include "platform/DesktopPlacement.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace platform {

namespace {

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

// Managers seen to mishandle a DESKTOP window: i3 makes it a floating container
// above every tiled window and the bar; openbox and fluxbox put it in a frame that
// takes every click meant for the desktop beneath; xfwm4 ignores every request to
// restack it, so it stays above an icon layer that was mapped before it.
constexpr std::array managersThatMishandleDesktopWindows{"i3", "openbox", "xfwm4", "fluxbox"};

}  // namespace

DesktopWindowStyle desktopWindowStyleFor(std::optional<std::string_view> windowManagerName) {
    // Without a manager nobody keeps a DESKTOP window below the others.
    if (!windowManagerName) {
        return DesktopWindowStyle::unmanagedAtBottom;
    }
    const auto name = lowered(*windowManagerName);
    for (std::string_view known : managersThatMishandleDesktopWindows) {
        if (name == known) {
            return DesktopWindowStyle::unmanagedAtBottom;
        }
    }
    // Elsewhere the standard way: a DESKTOP window the manager keeps below the others
    // (GNOME's mutter does).
    return DesktopWindowStyle::managedDesktopType;
}

bool managerDrawsDesktopWindowsOpaque(std::optional<std::string_view> windowManagerName) {
    return windowManagerName && lowered(*windowManagerName) == "kwin";
}

namespace {

// A manager's name comes from another program: only plain characters reach the log.
std::string printable(std::string_view name) {
    std::string result;
    for (char c : name.substr(0, 64)) {
        result += (c >= 0x20 && c < 0x7f) ? c : '?';
    }
    return result;
}

std::string describe(DesktopWindowStyle style) {
    return style == DesktopWindowStyle::managedDesktopType ? "a desktop window the manager keeps below the others"
                                                           : "an unmanaged window that keeps itself at the bottom";
}

}  // namespace

DesktopStyleFollower::DesktopStyleFollower(std::optional<std::string_view> windowManagerName)
    : manager_(windowManagerName ? std::optional<std::string>(*windowManagerName) : std::nullopt),
      style_(desktopWindowStyleFor(windowManagerName)) {}

std::optional<DesktopStyleFollower::Change> DesktopStyleFollower::managerNow(
    std::optional<std::string_view> windowManagerName) {
    const std::optional<std::string> manager =
        windowManagerName ? std::optional<std::string>(*windowManagerName) : std::nullopt;
    if (manager == manager_) {
        return std::nullopt;
    }
    manager_ = manager;
    const auto style = desktopWindowStyleFor(windowManagerName);
    if (style == style_) {
        return std::nullopt;
    }
    style_ = style;
    const std::string who =
        manager ? "The window manager is now " + printable(*manager) : std::string("No window manager runs any more");
    return Change{style, who + ": the wallpaper becomes " + describe(style) + "."};
}

std::optional<DesktopStyleFollower::Change> DesktopStyleFollower::managerMishandledWindow(std::string_view what) {
    if (style_ == DesktopWindowStyle::unmanagedAtBottom) {
        return std::nullopt;
    }
    style_ = DesktopWindowStyle::unmanagedAtBottom;
    const std::string who = manager_ ? "The window manager " + printable(*manager_) : std::string("The window manager");
    return Change{style_, who + " mishandles the wallpaper's desktop window (" + printable(what) +
                              "): the wallpaper becomes " + describe(style_) + "."};
}

}  // namespace platform
