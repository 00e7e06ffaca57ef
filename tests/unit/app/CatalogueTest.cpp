#include "app/Catalogue.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

// The catalogue is the table in shared/views.json, read here as any reader of the file
// would: every row, in its order, with only a view that cannot be chosen yet flagged.
TEST(Catalogue, HoldsTheRowsOfTheViewTableInDisplayOrder) {
    std::ifstream file(TAVELO_VIEWS_JSON);
    ASSERT_TRUE(file) << TAVELO_VIEWS_JSON;
    const auto table = nlohmann::json::parse(file);
    std::vector<WallpaperView> expected;
    for (const auto& row : table.at("views")) {
        const bool comingSoon = row.value("comingSoon", false);
        expected.push_back({row.at("id"), row.at("title"), row.at("description"), row.at("image"),
                            comingSoon ? std::optional<bool>(true) : std::nullopt});
    }
    EXPECT_EQ(wallpaperCatalogue(), expected);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(expected[0].id, defaultViewID);
}
