#pragma once

#include "app/WallpaperView.h"
#include "shared/ViewTable.h"

#include <span>
#include <vector>

// The live views the settings window offers, in display order: the rows of the view
// table (shared/views.json).
std::vector<WallpaperView> wallpaperCatalogue();

// The catalogue entries of `rows`, in their order. Only a view that cannot be chosen
// yet carries isComingSoon; every other entry leaves it absent.
std::vector<WallpaperView> catalogueFrom(std::span<const views::Row> rows);
