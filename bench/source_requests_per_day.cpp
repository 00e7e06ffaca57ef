// How many requests a day the view site's data job sends to each provider, with every
// source healthy and with each one refusing: a week of the job's own schedule and source
// chains, run on a virtual clock (nothing is sent anywhere). Ends with status 1 when a
// provider gets more than its documented daily budget.

#include "viewsite/RefreshSchedule.h"
#include "viewsite/SourceChain.h"

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace viewsite;
using namespace std::chrono_literals;

namespace {

struct Source {
    std::string name;      // in the chain
    std::string provider;  // whose budget it spends
    int requestsPerRun;    // the indices ask once per index
};

struct Dataset {
    std::vector<Source> sources;
};

const std::vector<Dataset> datasets{
    {{{"nasdaq", "Nasdaq", 1}, {"fmp", "Financial Modeling Prep", 1}}},
    {{{"stooq", "Stooq", 4}, {"nasdaq-history", "Nasdaq", 4}}},
};

// Documented daily budgets (free plans); providers without one are not checked.
const std::map<std::string, int> budgets{{"Financial Modeling Prep", 250}};

constexpr int days = 7;

std::map<std::string, double> simulate(const std::set<std::string>& refusing) {
    const RefreshIntervals intervals;
    const BackoffPolicy backoff{intervals.afterFailure, 24h};
    const auto start = SourceClock::time_point{} + 1000h;
    const auto end = start + std::chrono::hours(24 * days);
    std::map<std::string, double> requests;
    for (const auto& dataset : datasets) {
        std::vector<SourceChain::Source> chainSources;
        for (const auto& source : dataset.sources) {
            chainSources.push_back({source.provider + "/" + source.name, backoff, {}});
        }
        SourceChain chain("bench", chainSources);
        for (auto now = start; now < end;) {
            // The week starts on a Monday at midnight, New York time.
            const auto minutes = std::chrono::duration_cast<std::chrono::minutes>(now - start).count();
            const bool open = usMarketOpen(static_cast<int>(minutes / 1440) % 7 + 1, static_cast<int>(minutes % 1440));
            bool answered = false;
            for (auto next = chain.firstUsable(now); next; next = chain.firstUsable(now, *next + 1)) {
                const Source& source = dataset.sources[*next];
                const bool refuses = refusing.count(chainSources[*next].name) > 0;
                // A failing history run stops at its first index.
                requests[source.provider] += refuses ? 1 : source.requestsPerRun;
                if (!refuses) {
                    chain.answered(*next);
                    answered = true;
                    break;
                }
                chain.refused(*next, {Refusal::refused, "HTTP status 403"}, std::nullopt, now);
            }
            now += delayAfterRun(intervals, open, answered, chain.nextUsableAt(), now);
        }
    }
    for (auto& [provider, count] : requests) {
        count /= days;
    }
    return requests;
}

}  // namespace

int main() {
    const std::vector<std::pair<std::string, std::set<std::string>>> scenarios{
        {"all sources healthy", {}},
        {"Nasdaq screener refusing", {"Nasdaq/nasdaq"}},
        {"Financial Modeling Prep refusing", {"Financial Modeling Prep/fmp"}},
        {"Stooq refusing", {"Stooq/stooq"}},
        {"Nasdaq refusing both", {"Nasdaq/nasdaq", "Nasdaq/nasdaq-history"}},
        {"every source refusing",
         {"Nasdaq/nasdaq", "Nasdaq/nasdaq-history", "Financial Modeling Prep/fmp", "Stooq/stooq"}},
    };
    int status = 0;
    std::printf("%-34s %-26s %s\n", "scenario", "provider", "requests a day (week's mean)");
    for (const auto& [title, refusing] : scenarios) {
        for (const auto& [provider, perDay] : simulate(refusing)) {
            const auto budget = budgets.find(provider);
            const bool over = budget != budgets.end() && perDay > budget->second;
            status |= over ? 1 : 0;
            std::printf("%-34s %-26s %7.1f%s\n", title.c_str(), provider.c_str(), perDay, over ? "  OVER BUDGET" : "");
        }
    }
    return status;
}
