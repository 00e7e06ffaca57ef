#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

class WebView;

enum class WindowLevel {
    normal,
    desktop,  // below the desktop icons and every ordinary window
};

// Which workspaces a window joins and how the window switcher treats it.
namespace CollectionBehavior {
inline constexpr std::uint32_t canJoinAllSpaces = 0x1;
inline constexpr std::uint32_t stationary = 0x10;
inline constexpr std::uint32_t ignoresCycle = 0x40;
inline constexpr std::uint32_t desktopPlacement = canJoinAllSpaces | stationary | ignoresCycle;
}  // namespace CollectionBehavior

enum class Color { black, clear };

// A desktop-icon program's window that paints an opaque desktop over the wallpaper:
// its X11 class ("instance", "Class") and, where the program said which process it
// is, that process's command line (empty when unknown).
struct IconDesktopSighting {
    std::string instance;
    std::string windowClass;
    std::vector<std::string> commandLine;
};

// A top-level window. Attribute setters take effect when the window is next
// ordered in, so they are set before it is shown. How levels and collection behaviour
// map onto X11 and Wayland: docs/ARCHITECTURE.md.
class Window {
public:
    virtual ~Window() = default;

    virtual void setLevel(WindowLevel level) = 0;
    virtual void setBackgroundColor(Color color) = 0;
    virtual void setCollectionBehavior(std::uint32_t behavior) = 0;
    virtual void setIgnoresMouseEvents(bool ignores) = 0;

    // Whether the window has a content area that can hold views.
    virtual bool hasContentView() const = 0;
    virtual void addSubview(WebView& view) = 0;

    virtual void makeKeyAndOrderFront() = 0;
    virtual void orderFrontRegardless() = 0;
    virtual void orderOut() = 0;

    // Called with each icon-program desktop window that hides this desktop-level
    // window, once per such window. A window no icon program can cover (the screen
    // saver's, a Wayland background surface) never calls it.
    virtual void onHiddenByIconDesktop(std::function<void(const IconDesktopSighting&)> hidden) = 0;
};

}  // namespace platform
