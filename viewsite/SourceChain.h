#pragma once

#include "viewsite/SourceHealth.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

// The sources of one dataset, tried in order. Each keeps its own health: a source that
// refused is passed over until its pause ends, and the next usable one is asked
// instead. One dataset's chain knows nothing of another's, so one failing source never
// makes the job fetch another dataset again.
namespace viewsite {

class SourceChain {
public:
    struct Source {
        std::string name;
        BackoffPolicy backoff;
        SourceHealth health;
    };

    SourceChain(std::string dataset, std::vector<Source> sources);

    const std::string& dataset() const { return dataset_; }
    const std::vector<Source>& sources() const { return sources_; }

    // The first source at or after `from` that is not being skipped.
    std::optional<size_t> firstUsable(SourceClock::time_point now, size_t from = 0) const;
    // When the earliest skipped source may be asked again.
    SourceClock::time_point nextUsableAt() const;

    void answered(size_t source) { sources_[source].health.answered(); }
    // An earlier run's pauses, so that a restarted job does not ask a source sooner than
    // it asked: {"<source>": {"until": seconds since the epoch, "refusals": n}}. Pauses
    // longer than the source's longest are cut to it (a clock that jumped).
    void restore(const nlohmann::json& saved, std::chrono::system_clock::time_point wallNow,
                 SourceClock::time_point now);
    nlohmann::json saved(std::chrono::system_clock::time_point wallNow, SourceClock::time_point now) const;
    // Records the refusal and returns the one log line that tells it: which source,
    // why, for how long it is skipped, and which source is asked instead.
    std::string refused(size_t source, const Verdict& verdict, std::optional<std::chrono::seconds> retryAfter,
                        SourceClock::time_point now);

private:
    std::string dataset_;
    std::vector<Source> sources_;
};

// "45 s", "5 min", "3 h", "2 days": how long a pause is, for a log line.
std::string describePause(std::chrono::seconds pause);

}  // namespace viewsite
