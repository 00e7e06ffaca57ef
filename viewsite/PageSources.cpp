#include "viewsite/PageSources.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace viewsite {

namespace {

PageAnswer wrongFormat(std::string_view body) { return {{Refusal::wrongFormat, describeUnreadableBody(body)}, 0, {}}; }

PageAnswer counted(std::size_t items, const char* unit) {
    if (items == 0) {
        return {{Refusal::wrongFormat, "no " + std::string(unit)}, 0, unit};
    }
    return {{}, items, unit};
}

}  // namespace

std::vector<PageSource> pageSourcesOf(const SiteOptions& options) {
    std::vector<PageSource> sources{
        {"BTC candles", "binance (market-data host)", options.binanceDataURL, PageSourceFormat::binanceKlines},
        {"BTC candles", "binance", options.binanceURL, PageSourceFormat::binanceKlines},
        {"BTC candles", "kraken", options.krakenURL, PageSourceFormat::krakenOhlc},
        {"top 100 coins", "coingecko", options.coingeckoURL, PageSourceFormat::coingeckoMarkets},
        {"top 100 coins", "coinpaprika", options.coinpaprikaURL, PageSourceFormat::coinpaprikaTickers},
    };
    return sources;
}

PageAnswer readPageAnswer(PageSourceFormat format, std::string_view body) {
    const auto json = nlohmann::json::parse(body, nullptr, false);
    if (json.is_discarded()) {
        return wrongFormat(body);
    }
    switch (format) {
    case PageSourceFormat::binanceKlines: {
        if (!json.is_array()) {
            // {"code":-1003,"msg":"Too many requests..."}
            const bool limited = json.is_object() && json.contains("code") && json["code"] == -1003;
            return limited ? PageAnswer{{Refusal::rateLimited, "code -1003"}, 0, {}} : wrongFormat(body);
        }
        return counted(
            static_cast<std::size_t>(std::count_if(json.begin(), json.end(),
                                                   [](const auto& row) { return row.is_array() && row.size() >= 6; })),
            "candles");
    }
    case PageSourceFormat::krakenOhlc: {
        if (!json.is_object() || !json.contains("error") || !json["error"].is_array()) {
            return wrongFormat(body);
        }
        if (!json["error"].empty()) {
            const std::string first = json["error"][0].is_string() ? json["error"][0].get<std::string>() : "";
            const bool limited =
                first.find("Too many") != std::string::npos || first.find("Rate limit") != std::string::npos;
            return {{limited ? Refusal::rateLimited : Refusal::refused, "error " + first}, 0, {}};
        }
        if (json.contains("result") && json["result"].is_object()) {
            for (const auto& [key, rows] : json["result"].items()) {
                if (key != "last" && rows.is_array()) {
                    return counted(rows.size(), "candles");
                }
            }
        }
        return wrongFormat(body);
    }
    case PageSourceFormat::coingeckoMarkets:
    case PageSourceFormat::coinpaprikaTickers: {
        if (!json.is_array()) {
            const bool limited = json.is_object() && json.contains("status") && json["status"].is_object() &&
                                 json["status"].value("error_code", 0) == 429;
            return limited ? PageAnswer{{Refusal::rateLimited, "error_code 429"}, 0, {}} : wrongFormat(body);
        }
        const char* key = format == PageSourceFormat::coingeckoMarkets ? "current_price" : "quotes";
        const auto coins = std::count_if(json.begin(), json.end(),
                                         [key](const auto& coin) { return coin.is_object() && coin.contains(key); });
        return counted(std::min<std::size_t>(100, static_cast<std::size_t>(coins)), "coins");
    }
    }
    return wrongFormat(body);
}

}  // namespace viewsite
