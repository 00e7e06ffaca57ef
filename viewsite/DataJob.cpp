#include "viewsite/DataJob.h"

#include "platform/AtomicFileReplacement.h"
#include "platform/ControlCharacterEscape.h"
#include "platform/Log.h"

#include <glib.h>

#include <fstream>
#include <sstream>

namespace viewsite {

namespace {

bool marketOpenNow() {
    GTimeZone* zone = g_time_zone_new_identifier("America/New_York");
    if (zone == nullptr) {
        // Without the time-zone database, New York's standard offset is close enough.
        zone = g_time_zone_new_offset(-5 * 60 * 60);
    }
    GDateTime* now = g_date_time_new_now(zone);
    const bool open =
        usMarketOpen(g_date_time_get_day_of_week(now), g_date_time_get_hour(now) * 60 + g_date_time_get_minute(now));
    g_date_time_unref(now);
    g_time_zone_unref(zone);
    return open;
}

// The sources' pauses, kept beside the data so that a job started again (the site ends
// after hours without a request, the machine restarts) honours what a source asked
// before. A hidden name: the site never serves it.
constexpr const char* healthFileName = ".source-health.json";

std::vector<SourceChain::Source> chainOf(const std::vector<MarketSource>& sources, const SiteOptions& options) {
    std::vector<SourceChain::Source> chain;
    chain.reserve(sources.size());
    for (const auto& source : sources) {
        chain.push_back({source.name,
                         {std::max(options.intervals.afterFailure, std::chrono::seconds(1)), options.longestPause},
                         {}});
    }
    return chain;
}

}  // namespace

DataJob::DataJob(const SiteOptions& options, std::filesystem::path shippedData)
    : options_(options), sources_(options, std::move(shippedData)) {
    for (const Dataset dataset : {Dataset::heatmap, Dataset::indices}) {
        std::vector<MarketSource> usable;
        for (auto& source : sourcesOf(dataset, options)) {
            if (source.url.empty()) {
                continue;
            }
            if (lacksItsKey(source.url, source.apiKey)) {
                platform::systemLog(std::string("⚠️ View site data: ") + datasetTitle(dataset) + ": " +
                                    source.name + " needs a key of your own in site.json; not asked");
            } else {
                usable.push_back(std::move(source));
            }
        }
        auto chain = chainOf(usable, options);
        refreshes_.push_back(std::unique_ptr<Refresh>(
            new Refresh{this, dataset, std::move(usable), SourceChain(datasetTitle(dataset), std::move(chain)), 0}));
    }
    restoreHealth();
}

void DataJob::restoreHealth() {
    std::ifstream in(options_.dataOverlay / healthFileName, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const auto saved = nlohmann::json::parse(text.str(), nullptr, false);
    if (!saved.is_object()) {
        return;
    }
    for (const auto& refresh : refreshes_) {
        if (const auto found = saved.find(refresh->chain.dataset()); found != saved.end()) {
            refresh->chain.restore(*found, std::chrono::system_clock::now(), SourceClock::now());
        }
    }
}

void DataJob::saveHealth() {
    nlohmann::json saved = nlohmann::json::object();
    for (const auto& refresh : refreshes_) {
        saved[refresh->chain.dataset()] = refresh->chain.saved(std::chrono::system_clock::now(), SourceClock::now());
    }
    std::error_code error;
    std::filesystem::create_directories(options_.dataOverlay, error);
    // Losing it costs one early request at the next start: not worth a log line.
    platform::replaceFileAtomically(options_.dataOverlay / healthFileName, saved.dump() + "\n");
}

DataJob::~DataJob() {
    for (const auto& refresh : refreshes_) {
        if (refresh->timer != 0) {
            g_source_remove(refresh->timer);
        }
    }
}

void DataJob::start() {
    for (const auto& refresh : refreshes_) {
        if (refresh->sources.empty()) {
            platform::systemLog(std::string("❌ View site data: ") + datasetTitle(refresh->dataset) +
                                ": no source to ask; the shipped data stays");
            continue;
        }
        schedule(*refresh, options_.firstRunDelay);
    }
}

void DataJob::schedule(Refresh& refresh, std::chrono::seconds delay) {
    // Millisecond timers: whole-second ones may fire up to a second early, which would
    // make a pause shorter than the one a source asked for.
    refresh.timer = g_timeout_add(
        static_cast<guint>(std::min<long>(std::max<long>(0, delay.count()), G_MAXUINT / 1000) * 1000),
        [](gpointer data) -> gboolean {
            auto* due = static_cast<Refresh*>(data);
            due->timer = 0;
            due->job->run(*due);
            return G_SOURCE_REMOVE;
        },
        &refresh);
}

void DataJob::run(Refresh& refresh) {
    const auto now = SourceClock::now();
    if (const auto first = refresh.chain.firstUsable(now)) {
        ask(refresh, *first);
        return;
    }
    // Every source is resting: come back when the first one may be asked.
    schedule(refresh, delayAfterRun(options_.intervals, false, false, refresh.chain.nextUsableAt(), now));
}

void DataJob::ask(Refresh& refresh, size_t source) {
    sources_.fetch(refresh.dataset, refresh.sources[source], [this, &refresh, source](const Fetched& fetched) {
        const auto now = SourceClock::now();
        const std::string title = datasetTitle(refresh.dataset);
        const std::string& name = refresh.sources[source].name;
        if (fetched.verdict.refusal == Refusal::none) {
            const bool wasRefusing = refresh.chain.sources()[source].health.refusalsInARow() > 0;
            refresh.chain.answered(source);
            if (wasRefusing) {
                saveHealth();
            }
            if (write(refresh.dataset, fetched.document)) {
                const auto& list =
                    refresh.dataset == Dataset::heatmap ? fetched.document["companies"] : fetched.document["series"];
                platform::systemLog("✅ View site data: " + title + " refreshed from " + name + " (" +
                                    std::to_string(list.size()) +
                                    (refresh.dataset == Dataset::heatmap ? " companies)" : " series)"));
            } else {
                platform::systemLog("⚠️ View site data: " + title +
                                    " kept its last data: cannot write the data folder");
            }
            schedule(refresh, delayAfterRun(options_.intervals, marketOpenNow(), true, {}, now));
            return;
        }
        Verdict verdict = fetched.verdict;
        verdict.reason = escapeControlCharacters(verdict.reason);
        platform::systemLog(refresh.chain.refused(source, verdict, fetched.retryAfter, now));
        saveHealth();
        if (const auto next = refresh.chain.firstUsable(now, source + 1)) {
            ask(refresh, *next);
            return;
        }
        schedule(refresh, delayAfterRun(options_.intervals, marketOpenNow(), false, refresh.chain.nextUsableAt(), now));
    });
}

bool DataJob::write(Dataset dataset, const nlohmann::json& document) {
    const std::string name = dataset == Dataset::heatmap ? "sp500" : "indices";
    const char* globalName = dataset == Dataset::heatmap ? "TAVELO_SP500" : "TAVELO_INDICES";
    std::error_code error;
    std::filesystem::create_directories(options_.dataOverlay, error);
    // The JSON file first: the page re-reads it, and its script twin only serves the
    // first paint; each is whole on its own.
    return platform::replaceFileAtomically(options_.dataOverlay / (name + ".json"), document.dump() + "\n") &&
           platform::replaceFileAtomically(options_.dataOverlay / (name + ".js"), scriptFor(globalName, document));
}

}  // namespace viewsite
