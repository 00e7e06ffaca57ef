#pragma once

#include "app/WallpaperView.h"

#include <vector>

// The live views the settings window offers, in display order.
std::vector<WallpaperView> wallpaperCatalogue();
