#pragma once

#include "viewsite/SiteOptions.h"
#include "viewsite/SourceHealth.h"

#include <string>
#include <string_view>
#include <vector>

// The sources the bundled crypto pages ask from the user's browser. The site never
// fetches them for the pages; the sources check asks each once so that a user can see
// which of them their network reaches.
namespace viewsite {

enum class PageSourceFormat { binanceKlines, krakenOhlc, coingeckoMarkets, coinpaprikaTickers };

struct PageSource {
    std::string dataset;  // "BTC candles", "top 100 coins"
    std::string name;
    std::string url;
    PageSourceFormat format;
};

std::vector<PageSource> pageSourcesOf(const SiteOptions& options);

struct PageAnswer {
    Verdict verdict;  // refusal none: the answer is the data
    std::size_t items = 0;
    std::string unit;  // "candles", "coins"
};

// Reads a 200 answer's body as the source's format.
PageAnswer readPageAnswer(PageSourceFormat format, std::string_view body);

}  // namespace viewsite
