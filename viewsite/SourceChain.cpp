#include "viewsite/SourceChain.h"

#include <algorithm>

namespace viewsite {

SourceChain::SourceChain(std::string dataset, std::vector<Source> sources)
    : dataset_(std::move(dataset)), sources_(std::move(sources)) {}

std::optional<size_t> SourceChain::firstUsable(SourceClock::time_point now, size_t from) const {
    for (size_t i = from; i < sources_.size(); ++i) {
        if (sources_[i].health.usable(now)) {
            return i;
        }
    }
    return std::nullopt;
}

SourceClock::time_point SourceChain::nextUsableAt() const {
    SourceClock::time_point earliest = SourceClock::time_point::max();
    for (const auto& source : sources_) {
        earliest = std::min(earliest, source.health.skippedUntil());
    }
    return earliest;
}

std::string SourceChain::refused(size_t source, const Verdict& verdict, std::optional<std::chrono::seconds> retryAfter,
                                 SourceClock::time_point now) {
    Source& refusing = sources_[source];
    const std::chrono::seconds pause =
        refusing.health.refused(retryAfter, now, refusing.backoff, verdict.refusal != Refusal::unavailable);
    std::string what;
    switch (verdict.refusal) {
    case Refusal::refused: what = "refused"; break;
    case Refusal::blocked: what = "blocked here"; break;
    case Refusal::rateLimited: what = "rate-limited"; break;
    case Refusal::wrongFormat: what = "wrong format"; break;
    case Refusal::unavailable:
    case Refusal::none: what = "failed"; break;
    }
    const auto next = firstUsable(now, source + 1);
    return "⚠️ View site data: " + dataset_ + ": " + refusing.name + " " + what + " (" + verdict.reason +
           "), skipped for " + describePause(pause) + "; " +
           (next ? "asking " + sources_[*next].name + " instead" : std::string("no other source, last data kept"));
}

void SourceChain::restore(const nlohmann::json& saved, std::chrono::system_clock::time_point wallNow,
                          SourceClock::time_point now) {
    if (!saved.is_object()) {
        return;
    }
    for (auto& source : sources_) {
        const auto found = saved.find(source.name);
        if (found == saved.end() || !found->is_object() || !found->contains("until") ||
            !(*found)["until"].is_number_integer()) {
            continue;
        }
        // In whole seconds: a time from a broken file must not overflow a finer clock.
        const long until = (*found)["until"].get<long>();
        const long nowSeconds = std::chrono::duration_cast<std::chrono::seconds>(wallNow.time_since_epoch()).count();
        if (until <= nowSeconds) {
            continue;
        }
        const auto left = std::chrono::seconds(std::min<long>(until - nowSeconds, source.backoff.longest.count()));
        const int refusals = found->contains("refusals") && (*found)["refusals"].is_number_integer()
                                 ? std::clamp((*found)["refusals"].get<int>(), 0, 64)
                                 : 1;
        source.health.restore(now + left, refusals);
    }
}

nlohmann::json SourceChain::saved(std::chrono::system_clock::time_point wallNow, SourceClock::time_point now) const {
    nlohmann::json saved = nlohmann::json::object();
    for (const auto& source : sources_) {
        if (source.health.usable(now)) {
            continue;
        }
        const auto until = wallNow + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                         source.health.skippedUntil() - now);
        saved[source.name] = {
            {"until", std::chrono::duration_cast<std::chrono::seconds>(until.time_since_epoch()).count() + 1},
            {"refusals", source.health.refusalsInARow()}};
    }
    return saved;
}

std::string describePause(std::chrono::seconds pause) {
    const long seconds = pause.count();
    if (seconds < 120) {
        return std::to_string(seconds) + " s";
    }
    if (seconds < 2L * 60 * 60) {
        return std::to_string(seconds / 60) + " min";
    }
    if (seconds < 2L * 24 * 60 * 60) {
        return std::to_string(seconds / 3600) + " h";
    }
    return std::to_string(seconds / 86400) + " days";
}

}  // namespace viewsite
