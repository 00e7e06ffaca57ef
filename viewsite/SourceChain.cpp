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
    const std::chrono::seconds pause = refusing.health.refused(retryAfter, now, refusing.backoff);
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
