#include "viewsite/SourceCheck.h"

#include "platform/ControlCharacterEscape.h"
#include "viewsite/MarketSources.h"
#include "viewsite/PageSources.h"

#include <glib.h>

#include <cstdio>
#include <map>

namespace viewsite {

namespace {

std::string describe(const Fetched& fetched, Dataset dataset) {
    const std::string& why = fetched.verdict.reason;
    switch (fetched.verdict.refusal) {
    case Refusal::none: {
        const auto& list = fetched.document[dataset == Dataset::heatmap ? "companies" : "series"];
        return "answers (" + std::to_string(list.size()) + (dataset == Dataset::heatmap ? " companies)" : " series)");
    }
    case Refusal::refused: return "refused (" + why + ")";
    case Refusal::blocked: return "blocked here (" + why + ")";
    case Refusal::rateLimited:
        return "rate-limited (" + why +
               (fetched.retryAfter ? ", asks for a pause of " + std::to_string(fetched.retryAfter->count()) + " s)"
                                   : std::string(")"));
    case Refusal::wrongFormat: return "wrong format (" + why + ")";
    case Refusal::unavailable: return "no answer (" + why + ")";
    }
    return "no answer";
}

std::string describe(const PageAnswer& answer, std::optional<std::chrono::seconds> retryAfter) {
    Fetched fetched;
    fetched.verdict = answer.verdict;
    fetched.retryAfter = retryAfter;
    if (answer.verdict.refusal == Refusal::none) {
        return "answers (" + std::to_string(answer.items) + " " + answer.unit + ")";
    }
    return describe(fetched, Dataset::heatmap);
}

struct Check {
    MarketSources sources;
    UpstreamFetcher fetcher;
    GMainLoop* loop;
    int pending = 0;
    // By dataset title: whether one of its sources answered.
    std::map<std::string, bool> working;

    void done() {
        if (--pending == 0) {
            g_main_loop_quit(loop);
        }
    }
};

}  // namespace

int checkSources(const SiteOptions& options, const std::filesystem::path& shippedData) {
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    Check check{MarketSources(options, shippedData),
                UpstreamFetcher(options.upstreamTimeout, options.answerLimitBytes),
                loop,
                0,
                {}};
    for (const Dataset dataset : {Dataset::heatmap, Dataset::indices}) {
        check.working[datasetTitle(dataset)] = false;
        for (const auto& source : sourcesOf(dataset, options)) {
            const std::string label = std::string(datasetTitle(dataset)) + ": " + source.name + ": ";
            if (source.url.empty()) {
                std::printf("%shas no address in site.json; not asked\n", label.c_str());
                continue;
            }
            if (lacksItsKey(source.url, source.apiKey)) {
                std::printf("%sneeds a key of your own in site.json; not asked\n", label.c_str());
                continue;
            }
            ++check.pending;
            // One source at a time per dataset would be slower and tell nothing more.
            check.sources.fetch(dataset, source, [&check, dataset, label](const Fetched& fetched) {
                std::printf("%s%s\n", label.c_str(), escapeControlCharacters(describe(fetched, dataset)).c_str());
                std::fflush(stdout);
                check.working[datasetTitle(dataset)] =
                    check.working[datasetTitle(dataset)] || fetched.verdict.refusal == Refusal::none;
                check.done();
            });
        }
    }
    for (const auto& source : pageSourcesOf(options)) {
        const std::string label = source.dataset + ": " + source.name + ": ";
        if (source.url.empty()) {
            // A dataset whose every source is left out is not judged.
            std::printf("%shas no address in site.json; not asked\n", label.c_str());
            continue;
        }
        check.working.try_emplace(source.dataset, false);
        ++check.pending;
        check.fetcher.fetch(source.url, {}, [&check, source, label](const UpstreamAnswer& answer) {
            PageAnswer read;
            if (answer.status == 200) {
                read = readPageAnswer(source.format, answer.body);
            } else {
                read.verdict = verdictOn(answer, {});
            }
            std::printf("%s%s\n", label.c_str(), escapeControlCharacters(describe(read, answer.retryAfter)).c_str());
            std::fflush(stdout);
            check.working[source.dataset] = check.working[source.dataset] || read.verdict.refusal == Refusal::none;
            check.done();
        });
    }
    if (check.pending > 0) {
        g_main_loop_run(loop);
    }
    g_main_loop_unref(loop);
    int status = 0;
    for (const auto& [dataset, works] : check.working) {
        if (!works) {
            std::printf("%s: no working source\n", dataset.c_str());
            status = 1;
        }
    }
    return status;
}

}  // namespace viewsite
