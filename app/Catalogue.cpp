#include "app/Catalogue.h"

std::vector<WallpaperView> wallpaperCatalogue() {
    return {
        {"crypto_bubbles", "Crypto Bubbles", "Live crypto market bubbles", "crypto_bubbles", std::nullopt},
        {"crypto_chart", "Crypto Chart", "Real-time crypto charts", "crypto_chart", std::nullopt},
        {"sp500_heatmap", "S&P500 Heat Map", "Market heat overview", "sp500_heatmap", std::nullopt},
        {"stocks_chart", "Stocks Chart (coming soon)", "Track stock performance", "stocks_chart", true},
    };
}
