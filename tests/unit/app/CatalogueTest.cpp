#include "app/Catalogue.h"

#include <gtest/gtest.h>

TEST(Catalogue, HoldsTheFourViewsInDisplayOrder) {
    const auto items = wallpaperCatalogue();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0], (WallpaperView{"crypto_bubbles", "Crypto Bubbles", "Live crypto market bubbles",
                                       "crypto_bubbles", std::nullopt}));
    EXPECT_EQ(items[1],
              (WallpaperView{"crypto_chart", "Crypto Chart", "Real-time crypto charts", "crypto_chart", std::nullopt}));
    EXPECT_EQ(items[2], (WallpaperView{"sp500_heatmap", "S&P500 Heat Map", "Market heat overview", "sp500_heatmap",
                                       std::nullopt}));
    EXPECT_EQ(items[3], (WallpaperView{"stocks_chart", "Stocks Chart (coming soon)", "Track stock performance",
                                       "stocks_chart", true}));
    EXPECT_EQ(items[0].id, defaultViewID);
}
