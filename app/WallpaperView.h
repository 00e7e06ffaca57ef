#pragma once

#include "shared/DefaultViewID.h"

#include <optional>
#include <string>

// One live view of the catalogue. Travels whole, by value, as the object of
// "SelectWallpaper".
struct WallpaperView {
    std::string id;
    std::string title;
    std::string description;
    std::string imageName;
    std::optional<bool> isComingSoon;

    friend bool operator==(const WallpaperView&, const WallpaperView&) = default;
};

// The notification that announces the user's choice of a live view.
inline constexpr const char* selectWallpaperNotification = "SelectWallpaper";
