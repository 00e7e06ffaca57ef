#include "viewsite/MarketSources.h"

#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>

namespace viewsite {

namespace {

nlohmann::json readJsonFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return nlohmann::json::parse(text.str(), nullptr, false);
}

std::string utcText(std::time_t when, const char* format) {
    std::tm utc{};
    gmtime_r(&when, &utc);
    char text[32];
    std::strftime(text, sizeof text, format, &utc);
    return text;
}

std::string nowIso8601() { return utcText(std::time(nullptr), "%Y-%m-%dT%H:%M:%SZ"); }

// Nasdaq's API answers clients that do not look like its own web pages with 403 or not
// at all; these are the headers its pages send.
RequestHeaders nasdaqHeaders() {
    return {{"User-Agent", "Mozilla/5.0 (X11; Linux x86_64; rv:128.0) Gecko/20100101 Firefox/128.0"},
            {"Accept", "application/json, text/plain, */*"},
            {"Accept-Language", "en-US,en;q=0.9"},
            {"Origin", "https://www.nasdaq.com"},
            {"Referer", "https://www.nasdaq.com/"}};
}

// About seven months of daily closes: the chart shows six.
constexpr std::time_t historySpan = 210L * 24 * 60 * 60;

struct IndicesRun {
    MarketSource source;
    std::vector<IndexSeries> members;
    std::vector<std::vector<std::pair<std::int64_t, double>>> histories;
    std::function<void(Fetched)> done;
};

}  // namespace

const char* datasetTitle(Dataset dataset) { return dataset == Dataset::heatmap ? "S&P 500" : "indices"; }

std::vector<MarketSource> sourcesOf(Dataset dataset, const SiteOptions& options) {
    if (dataset == Dataset::heatmap) {
        MarketSource fmp{"fmp", options.quotesURL, options.fmpApiKey, {}, false, true};
        return {{"nasdaq", options.screenerURL, {}, nasdaqHeaders(), false, false}, fmp};
    }
    MarketSource stooq{"stooq", options.historyURL, options.stooqApiKey, {}, false, false};
    return {stooq, {"nasdaq", options.nasdaqHistoryURL, {}, nasdaqHeaders(), true, false}};
}

Verdict verdictOn(const UpstreamAnswer& answer, const std::string& why) {
    if (answer.status == 0) {
        // Answered, then dropped here: the source's answer is at fault, not the network.
        return {answer.answered ? Refusal::wrongFormat : Refusal::unavailable, answer.error};
    }
    if (answer.status != 200) {
        return {refusalForStatus(answer.status), "HTTP status " + std::to_string(answer.status)};
    }
    const std::string body = describeUnreadableBody(answer.body);
    return {Refusal::wrongFormat, body == "a malformed answer" && !why.empty() ? why : body};
}

MarketSources::MarketSources(const SiteOptions& options, std::filesystem::path shippedData)
    : shippedData_(std::move(shippedData)), fetcher_(options.upstreamTimeout, options.answerLimitBytes) {}

void MarketSources::fetch(Dataset dataset, const MarketSource& source, std::function<void(Fetched)> done) {
    if (dataset == Dataset::heatmap) {
        fetchHeatmap(source, std::move(done));
    } else {
        fetchIndices(source, std::move(done));
    }
}

void MarketSources::fetchHeatmap(const MarketSource& source, std::function<void(Fetched)> done) {
    auto members = companiesOf(readJsonFile(shippedData_ / "sp500.json"));
    AddressValues values;
    values.apiKey = source.apiKey;
    for (const auto& member : members) {
        values.symbols.push_back(member.symbol);
    }
    const bool quotes = source.fmpQuotes;
    fetcher_.fetch(addressFor(source.url, values), source.headers,
                   [members = std::move(members), quotes, done = std::move(done)](const UpstreamAnswer& answer) {
                       const Refreshed read =
                           quotes ? heatmapFromQuotes(answer.status, answer.body, members, nowIso8601())
                                  : heatmapFromScreener(answer.status, answer.body, members, nowIso8601());
                       Fetched fetched;
                       fetched.retryAfter = answer.retryAfter;
                       if (read.ok) {
                           fetched.document = read.document;
                       } else {
                           fetched.verdict = verdictOn(answer, read.error);
                       }
                       done(std::move(fetched));
                   });
}

void MarketSources::fetchIndices(const MarketSource& source, std::function<void(Fetched)> done) {
    auto run = std::make_shared<IndicesRun>();
    run->source = source;
    run->members = indicesOf(readJsonFile(shippedData_ / "indices.json"));
    run->done = std::move(done);
    // One request per index, one after the other; the first that fails ends the run,
    // since a partial set replaces nothing.
    auto next = std::make_shared<std::function<void()>>();
    *next = [this, run, weakNext = std::weak_ptr<std::function<void()>>(next)]() {
        if (run->histories.size() == run->members.size()) {
            const Refreshed read = indicesFromHistories(run->members, run->histories, nowIso8601(), run->source.name);
            Fetched fetched;
            if (read.ok) {
                fetched.document = read.document;
            } else {
                fetched.verdict = {Refusal::wrongFormat, read.error};
            }
            run->done(std::move(fetched));
            return;
        }
        const std::time_t now = std::time(nullptr);
        AddressValues values{{run->members[run->histories.size()].symbol},
                             run->source.apiKey,
                             utcText(now - historySpan, "%Y-%m-%d"),
                             utcText(now, "%Y-%m-%d")};
        fetcher_.fetch(addressFor(run->source.url, values), run->source.headers,
                       [run, self = weakNext.lock()](const UpstreamAnswer& answer) {
                           auto closes = run->source.nasdaqHistory ? closesFromNasdaqHistory(answer.status, answer.body)
                                                                   : closesFromCsv(answer.status, answer.body);
                           if (closes.size() < 2) {
                               Fetched fetched;
                               fetched.retryAfter = answer.retryAfter;
                               fetched.verdict = verdictOn(
                                   answer, "no usable history for " + run->members[run->histories.size()].symbol);
                               run->done(std::move(fetched));
                               return;
                           }
                           run->histories.push_back(std::move(closes));
                           (*self)();
                       });
    };
    (*next)();
}

}  // namespace viewsite
