#include "platform/DesktopStacking.h"

#include <algorithm>

namespace platform {

Restack restackAmongRootChildren(const std::vector<StackedWindow>& bottomToTop, std::uint64_t wallpaper) {
    const auto ours = std::find_if(bottomToTop.begin(), bottomToTop.end(),
                                   [&](const StackedWindow& window) { return window.id == wallpaper; });
    if (ours == bottomToTop.end() || ours == bottomToTop.begin()) {
        return {};
    }
    return {Restack::Kind::toBottom, 0};
}

Restack restackAmongDesktopClients(const std::vector<StackedWindow>& bottomToTop, std::uint64_t wallpaper) {
    const auto ours = std::find_if(bottomToTop.begin(), bottomToTop.end(),
                                   [&](const StackedWindow& window) { return window.id == wallpaper; });
    if (ours == bottomToTop.end()) {
        return {};
    }
    const auto lowestLayer = std::find_if(bottomToTop.begin(), ours, [&](const StackedWindow& window) {
        return window.isDesktopLayer && window.id != wallpaper;
    });
    if (lowestLayer == ours) {
        return {};
    }
    return {Restack::Kind::belowSibling, lowestLayer->id};
}

}  // namespace platform
