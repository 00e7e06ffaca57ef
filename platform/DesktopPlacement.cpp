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
// above every tiled window and the bar; openbox puts it in a frame that takes every
// click meant for the desktop beneath.
constexpr std::array managersThatMishandleDesktopWindows{"i3", "openbox"};

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
    // Compositing managers (mutter, KWin) draw unmanaged windows over everything, and
    // the others honour the DESKTOP type: the standard way is the default.
    return DesktopWindowStyle::managedDesktopType;
}

}  // namespace platform
