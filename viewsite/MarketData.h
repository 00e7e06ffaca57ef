#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Turns upstream answers into the view site's data files. Only numbers are taken from
// upstream: names, sectors and symbols come from the shipped snapshot, so an answer
// can change a tile's size and colour but never put its own text on a page.
namespace viewsite {

struct Company {
    std::string symbol;
    std::string name;
    std::string sector;
};

struct IndexSeries {
    std::string symbol;
    std::string name;
};

// The companies and indices the shipped snapshots list (the heat map's and the
// stocks chart's membership).
std::vector<Company> companiesOf(const nlohmann::json& heatmapSnapshot);
std::vector<IndexSeries> indicesOf(const nlohmann::json& indicesSnapshot);

struct Refreshed {
    bool ok = false;
    std::string error;        // why the answer was refused
    nlohmann::json document;  // the new data file when ok
};

// An answer must name at least this share of the members: a short list is a partial
// answer, and a heat map with holes would be worse than a slightly older full one.
inline constexpr double minimumCoverage = 0.9;

// Values beyond these are no market data but a broken or hostile answer: no company is
// worth a hundred trillion dollars, and no index member moves by more than tenfold in a
// day. A company with such a cap is left out; a change beyond the bound is unknown.
inline constexpr double largestMarketCap = 1e14;
inline constexpr double largestDailyChangePercent = 1000;
inline constexpr double largestClose = 1e7;

// Nasdaq's public screener: {"data":{"rows":[{"symbol","marketCap","pctchange"}]}}.
Refreshed heatmapFromScreener(int status, std::string_view body, const std::vector<Company>& members,
                              const std::string& updatedAt);

// Financial Modeling Prep's quote list: [{"symbol","marketCap","changesPercentage"}].
Refreshed heatmapFromQuotes(int status, std::string_view body, const std::vector<Company>& members,
                            const std::string& updatedAt);

// Nasdaq's historical quotes of one symbol: {"data":{"tradesTable":{"rows":[{"date":
// "MM/DD/YYYY","close":"$598.50"}]}}}, newest first: [[ms, close], ...], oldest first.
std::vector<std::pair<std::int64_t, double>> closesFromNasdaqHistory(int status, std::string_view body,
                                                                     size_t keep = 126);

// A daily history as CSV (Date,Open,High,Low,Close[,Volume]): [[ms, close], ...],
// oldest first, at most `keep` points.
std::vector<std::pair<std::int64_t, double>> closesFromCsv(int status, std::string_view body, size_t keep = 126);

// Every index needs a history of at least two closes, or nothing is replaced.
// `source` names where the histories came from, for the page to show.
Refreshed indicesFromHistories(const std::vector<IndexSeries>& members,
                               const std::vector<std::vector<std::pair<std::int64_t, double>>>& histories,
                               const std::string& updatedAt, const std::string& source = "stooq");

// The same data as a classic script, for the page's first paint without a fetch.
std::string scriptFor(std::string_view globalName, const nlohmann::json& document);

}  // namespace viewsite
