#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

// A top-level window as the stacking rules see it.
struct StackedWindow {
    std::uint64_t id = 0;
    // Another program's desktop window: a desktop-icon layer (pcmanfm, xfdesktop…).
    bool isDesktopLayer = false;
};

// What the wallpaper has to do to lie beneath everything, icon layers included.
struct Restack {
    enum class Kind { none, toBottom, belowSibling } kind = Kind::none;
    std::uint64_t sibling = 0;  // for belowSibling

    bool operator==(const Restack&) const = default;
};

// For an unmanaged wallpaper among the root window's children, bottom first: it
// belongs at the very bottom, which also puts it beneath every icon layer's frame.
Restack restackAmongRootChildren(const std::vector<StackedWindow>& bottomToTop, std::uint64_t wallpaper);

// For a managed wallpaper in the manager's client stacking list, bottom first: the
// manager keeps desktop windows below the rest, but among them the one mapped last
// lies on top. When an icon layer lies below the wallpaper, the wallpaper goes
// beneath the lowest icon layer.
Restack restackAmongDesktopClients(const std::vector<StackedWindow>& bottomToTop, std::uint64_t wallpaper);

}  // namespace platform
