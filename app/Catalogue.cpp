#include "app/Catalogue.h"

std::vector<WallpaperView> wallpaperCatalogue() { return catalogueFrom(views::table); }

std::vector<WallpaperView> catalogueFrom(std::span<const views::Row> rows) {
    std::vector<WallpaperView> entries;
    entries.reserve(rows.size());
    for (const auto& row : rows) {
        entries.push_back({row.id, row.title, row.description, row.imageName,
                           row.isComingSoon ? std::optional<bool>(true) : std::nullopt});
    }
    return entries;
}
