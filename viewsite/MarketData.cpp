#include "viewsite/MarketData.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <unordered_map>

namespace viewsite {

namespace {

// "3,450,000,000" or "-0.53%" as a finite number; nothing for anything else.
std::optional<double> numberIn(const nlohmann::json& value) {
    if (value.is_number()) {
        const double number = value.get<double>();
        return std::isfinite(number) ? std::optional(number) : std::nullopt;
    }
    if (!value.is_string()) {
        return std::nullopt;
    }
    // Nasdaq writes "UNCH" for a price that did not move.
    if (value.get<std::string>() == "UNCH") {
        return 0.0;
    }
    std::string text;
    for (const char c : value.get<std::string>()) {
        if (c != ',' && c != '%' && c != ' ' && c != '$') {
            text += c;
        }
    }
    // from_chars takes no plus sign; upstream writes one on a rise.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.erase(0, 1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(number)) {
        return std::nullopt;
    }
    return number;
}

std::string stringIn(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

std::optional<std::int64_t> dayInMilliseconds(std::string_view date, const char* format = "%Y-%m-%d") {
    std::tm day{};
    const std::string copy(date);
    const char* end = strptime(copy.c_str(), format, &day);
    if (end == nullptr || *end != '\0') {
        return std::nullopt;
    }
    // A daily close is stamped at 20:00 UTC, the US market's close.
    day.tm_hour = 20;
    return static_cast<std::int64_t>(timegm(&day)) * 1000;
}

}  // namespace

std::vector<Company> companiesOf(const nlohmann::json& heatmapSnapshot) {
    std::vector<Company> members;
    if (!heatmapSnapshot.is_object() || !heatmapSnapshot.contains("companies") ||
        !heatmapSnapshot["companies"].is_array()) {
        return members;
    }
    for (const auto& company : heatmapSnapshot["companies"]) {
        if (company.is_object() && !stringIn(company, "s").empty()) {
            members.push_back({stringIn(company, "s"), stringIn(company, "n"), stringIn(company, "sector")});
        }
    }
    return members;
}

std::vector<IndexSeries> indicesOf(const nlohmann::json& indicesSnapshot) {
    std::vector<IndexSeries> members;
    if (!indicesSnapshot.is_object() || !indicesSnapshot.contains("series") || !indicesSnapshot["series"].is_array()) {
        return members;
    }
    for (const auto& series : indicesSnapshot["series"]) {
        if (series.is_object() && !stringIn(series, "symbol").empty()) {
            members.push_back({stringIn(series, "symbol"), stringIn(series, "name")});
        }
    }
    return members;
}

namespace {

// One upstream row's numbers, before they are matched with the index's members.
struct Quote {
    std::string symbol;
    std::optional<double> cap;
    std::optional<double> change;
};

Refreshed heatmapFromQuoteList(const std::vector<Quote>& quotes, const std::vector<Company>& members,
                               const std::string& updatedAt, const char* source) {
    std::unordered_map<std::string, const Company*> bySymbol;
    for (const auto& member : members) {
        bySymbol.emplace(member.symbol, &member);
    }
    nlohmann::json companies = nlohmann::json::array();
    std::unordered_map<std::string, bool> seen;
    for (const Quote& quote : quotes) {
        const auto member = bySymbol.find(quote.symbol);
        if (member == bySymbol.end() || seen[quote.symbol]) {
            continue;
        }
        const double marketValue = quote.cap.value_or(0.0);
        if (marketValue <= 0 || marketValue > largestMarketCap) {
            continue;
        }
        const bool changeKnown = quote.change && std::abs(*quote.change) <= largestDailyChangePercent;
        seen[quote.symbol] = true;
        const Company& company = *member->second;
        companies.push_back(
            {{"s", company.symbol},
             {"n", company.name},
             {"sector", company.sector},
             {"cap", marketValue},
             {"chg", changeKnown ? nlohmann::json(std::round(*quote.change * 100) / 100) : nlohmann::json()}});
    }
    if (members.empty() ||
        static_cast<double>(companies.size()) < minimumCoverage * static_cast<double>(members.size())) {
        return {false,
                "partial answer: " + std::to_string(companies.size()) + " of " + std::to_string(members.size()) +
                    " companies",
                {}};
    }
    return {true, {}, {{"source", source}, {"updatedAt", updatedAt}, {"companies", std::move(companies)}}};
}

std::optional<double> numberAt(const nlohmann::json& object, const char* key) {
    return object.contains(key) ? numberIn(object[key]) : std::nullopt;
}

std::vector<std::pair<std::int64_t, double>> keepNewest(std::vector<std::pair<std::int64_t, double>> closes,
                                                        size_t keep) {
    if (closes.size() > keep) {
        closes.erase(closes.begin(), closes.end() - static_cast<std::ptrdiff_t>(keep));
    }
    return closes;
}

bool plausibleClose(const std::optional<double>& close) { return close && *close > 0 && *close <= largestClose; }

}  // namespace

Refreshed heatmapFromScreener(int status, std::string_view body, const std::vector<Company>& members,
                              const std::string& updatedAt) {
    if (status != 200) {
        return {false, "HTTP status " + std::to_string(status), {}};
    }
    const auto json = nlohmann::json::parse(body, nullptr, false);
    if (json.is_discarded() || !json.is_object() || !json.contains("data") || !json["data"].is_object() ||
        !json["data"].contains("rows") || !json["data"]["rows"].is_array()) {
        return {false, "malformed answer", {}};
    }
    std::vector<Quote> quotes;
    for (const auto& row : json["data"]["rows"]) {
        if (!row.is_object()) {
            continue;
        }
        std::string symbol = stringIn(row, "symbol");
        for (char& c : symbol) {
            c = c == '/' ? '.' : c;
        }
        quotes.push_back({std::move(symbol), numberAt(row, "marketCap"), numberAt(row, "pctchange")});
    }
    return heatmapFromQuoteList(quotes, members, updatedAt, "nasdaq");
}

Refreshed heatmapFromQuotes(int status, std::string_view body, const std::vector<Company>& members,
                            const std::string& updatedAt) {
    if (status != 200) {
        return {false, "HTTP status " + std::to_string(status), {}};
    }
    const auto json = nlohmann::json::parse(body, nullptr, false);
    if (json.is_discarded() || !json.is_array()) {
        return {false, "malformed answer", {}};
    }
    std::vector<Quote> quotes;
    for (const auto& row : json) {
        if (!row.is_object()) {
            continue;
        }
        std::string symbol = stringIn(row, "symbol");
        // Share classes are written with a dash here ("BRK-B") and with a dot in the index.
        for (char& c : symbol) {
            c = c == '-' ? '.' : c;
        }
        quotes.push_back({std::move(symbol), numberAt(row, "marketCap"), numberAt(row, "changesPercentage")});
    }
    return heatmapFromQuoteList(quotes, members, updatedAt, "fmp");
}

std::vector<std::pair<std::int64_t, double>> closesFromNasdaqHistory(int status, std::string_view body, size_t keep) {
    std::vector<std::pair<std::int64_t, double>> closes;
    const auto json = status == 200 ? nlohmann::json::parse(body, nullptr, false) : nlohmann::json();
    const nlohmann::json::json_pointer rowsAt("/data/tradesTable/rows");
    if (!json.is_object() || !json.contains(rowsAt) || !json[rowsAt].is_array()) {
        return closes;
    }
    const auto& rows = json[rowsAt];
    // Newest first upstream; oldest first here.
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (!row->is_object()) {
            continue;
        }
        const auto time = dayInMilliseconds(stringIn(*row, "date"), "%m/%d/%Y");
        const auto close = numberAt(*row, "close");
        if (time && plausibleClose(close) && (closes.empty() || *time > closes.back().first)) {
            closes.emplace_back(*time, *close);
        }
    }
    return keepNewest(std::move(closes), keep);
}

std::vector<std::pair<std::int64_t, double>> closesFromCsv(int status, std::string_view body, size_t keep) {
    std::vector<std::pair<std::int64_t, double>> closes;
    if (status != 200) {
        return closes;
    }
    size_t start = 0;
    bool header = true;
    while (start < body.size()) {
        size_t end = body.find('\n', start);
        if (end == std::string_view::npos) {
            end = body.size();
        }
        std::string_view line = body.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (header) {
            header = false;
            if (!line.starts_with("Date,") && !line.starts_with("date,")) {
                return {};
            }
            continue;
        }
        std::vector<std::string_view> fields;
        size_t from = 0;
        while (from <= line.size()) {
            const size_t comma = std::min(line.find(',', from), line.size());
            fields.push_back(line.substr(from, comma - from));
            from = comma + 1;
        }
        if (fields.size() < 5) {
            continue;
        }
        const auto time = dayInMilliseconds(fields[0]);
        const auto close = numberIn(std::string(fields[4]));
        if (time && plausibleClose(close) && (closes.empty() || *time > closes.back().first)) {
            closes.emplace_back(*time, *close);
        }
    }
    return keepNewest(std::move(closes), keep);
}

Refreshed indicesFromHistories(const std::vector<IndexSeries>& members,
                               const std::vector<std::vector<std::pair<std::int64_t, double>>>& histories,
                               const std::string& updatedAt, const std::string& source) {
    if (members.empty() || histories.size() != members.size()) {
        return {false,
                "partial answer: " + std::to_string(histories.size()) + " of " + std::to_string(members.size()) +
                    " indices",
                {}};
    }
    nlohmann::json series = nlohmann::json::array();
    for (size_t i = 0; i < members.size(); ++i) {
        if (histories[i].size() < 2) {
            return {false, "partial answer: no history for " + members[i].symbol, {}};
        }
        nlohmann::json closes = nlohmann::json::array();
        for (const auto& [time, close] : histories[i]) {
            closes.push_back({time, close});
        }
        series.push_back({{"symbol", members[i].symbol}, {"name", members[i].name}, {"closes", std::move(closes)}});
    }
    return {true, {}, {{"source", source}, {"updatedAt", updatedAt}, {"series", std::move(series)}}};
}

std::string scriptFor(std::string_view globalName, const nlohmann::json& document) {
    const std::string source = document.is_object() && document.contains("source") && document["source"].is_string()
                                   ? document["source"].get<std::string>()
                                   : std::string("unknown");
    // ASCII only: no character in the data can end the script or change its meaning.
    return "// Refreshed by the view site's data job (" + nlohmann::json(source).dump(-1, ' ', true) + ").\nwindow." +
           std::string(globalName) + " = " + document.dump(-1, ' ', true) + ";\n";
}

}  // namespace viewsite
