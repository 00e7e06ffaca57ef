#pragma once

#include "viewsite/MarketData.h"
#include "viewsite/SiteOptions.h"
#include "viewsite/SourceHealth.h"
#include "viewsite/UpstreamFetcher.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// The view site's datasets and where each can come from, in the order the sources are
// asked, and the fetching of one dataset from one source.
namespace viewsite {

enum class Dataset { heatmap, indices };

struct MarketSource {
    std::string name;  // as the data file's "source" and the log lines say
    std::string url;
    std::string apiKey;
    RequestHeaders headers;
    bool nasdaqHistory = false;  // which reader its answers need (indices only)
    bool fmpQuotes = false;      // (heat map only)
};

// The dataset's name in log lines ("S&P 500", "indices").
const char* datasetTitle(Dataset dataset);

// Every source of the dataset, including those that lack the user's key.
std::vector<MarketSource> sourcesOf(Dataset dataset, const SiteOptions& options);

// NOLINTNEXTLINE(bugprone-exception-escape): built and moved only where a failed allocation ends the process anyway
struct Fetched {
    Verdict verdict;  // refusal none: `document` is the new data file
    nlohmann::json document;
    std::optional<std::chrono::seconds> retryAfter;
};

class MarketSources {
public:
    MarketSources(const SiteOptions& options, std::filesystem::path shippedData);

    void fetch(Dataset dataset, const MarketSource& source, std::function<void(Fetched)> done);

private:
    void fetchHeatmap(const MarketSource& source, std::function<void(Fetched)> done);
    void fetchIndices(const MarketSource& source, std::function<void(Fetched)> done);

    std::filesystem::path shippedData_;
    UpstreamFetcher fetcher_;
};

// The verdict on an answer whose data could not be read (`why`, from the reader).
Verdict verdictOn(const UpstreamAnswer& answer, const std::string& why);

}  // namespace viewsite
