#include "viewsite/SourceChain.h"

#include <gtest/gtest.h>

using namespace viewsite;
using namespace std::chrono_literals;

namespace {

const BackoffPolicy policy{60s, 24h};

SourceChain twoSources(BackoffPolicy backoff = policy) {
    return SourceChain("S&P 500", {{"nasdaq", backoff, {}}, {"fmp", backoff, {}}});
}

const SourceClock::time_point start = SourceClock::now();

}  // namespace

TEST(SourceChain, AsksTheSourcesInOrder) {
    const auto chain = twoSources();
    EXPECT_EQ(chain.firstUsable(start), 0u);
    EXPECT_EQ(chain.firstUsable(start, 1), 1u);
    EXPECT_FALSE(chain.firstUsable(start, 2));
}

TEST(SourceChain, EveryKindOfRefusalSkipsTheSourceAndNamesTheOneAskedInstead) {
    const struct {
        Verdict verdict;
        const char* line;
    } cases[] = {
        {{Refusal::refused, "HTTP status 403"},
         "⚠️ View site data: S&P 500: nasdaq refused (HTTP status 403), skipped for 60 s; asking fmp instead"},
        {{Refusal::blocked, "HTTP status 451"},
         "⚠️ View site data: S&P 500: nasdaq blocked here (HTTP status 451), skipped for 60 s; asking fmp instead"},
        {{Refusal::rateLimited, "HTTP status 429"},
         "⚠️ View site data: S&P 500: nasdaq rate-limited (HTTP status 429), skipped for 60 s; asking fmp instead"},
        {{Refusal::wrongFormat, "an HTML page"},
         "⚠️ View site data: S&P 500: nasdaq wrong format (an HTML page), skipped for 60 s; asking fmp instead"},
        {{Refusal::unavailable, "no complete answer in time"},
         "⚠️ View site data: S&P 500: nasdaq failed (no complete answer in time), skipped for 60 s; asking fmp "
         "instead"},
    };
    for (const auto& [verdict, line] : cases) {
        auto chain = twoSources();
        EXPECT_EQ(chain.refused(0, verdict, std::nullopt, start), line);
        EXPECT_EQ(chain.firstUsable(start), 1u) << line;
        EXPECT_EQ(chain.firstUsable(start + 59s), 1u) << line;
        EXPECT_EQ(chain.firstUsable(start + 60s), 0u) << line;
    }
}

TEST(SourceChain, WhenTheLastSourceRefusesTheLastDataStays) {
    auto chain = twoSources();
    chain.refused(0, {Refusal::refused, "HTTP status 401"}, std::nullopt, start);
    EXPECT_EQ(
        chain.refused(1, {Refusal::blocked, "HTTP status 451"}, std::nullopt, start),
        "⚠️ View site data: S&P 500: fmp blocked here (HTTP status 451), skipped for 60 s; no other source, last "
        "data kept");
    EXPECT_FALSE(chain.firstUsable(start));
    EXPECT_EQ(chain.nextUsableAt(), start + 60s);
}

TEST(SourceChain, RetryAfterIsHonouredUpToTheLongestBan) {
    auto chain = twoSources({60s, 3 * 24h});
    EXPECT_TRUE(chain.refused(0, {Refusal::rateLimited, "HTTP status 429"}, 2h, start).find("skipped for 2 h") !=
                std::string::npos);
    EXPECT_FALSE(chain.firstUsable(start + 2h - 1s) == 0u);
    EXPECT_EQ(chain.firstUsable(start + 2h), 0u);
    // A ban of a week is held to the provider's documented longest, three days.
    chain.refused(0, {Refusal::rateLimited, "HTTP status 418"}, 7 * 24h, start);
    EXPECT_EQ(chain.sources()[0].health.skippedUntil(), start + 3 * 24h);
    // Asking for less than the backoff is taken at its word.
    chain.refused(1, {Refusal::rateLimited, "HTTP status 429"}, 5s, start);
    EXPECT_EQ(chain.firstUsable(start + 5s, 1), 1u);
}

TEST(SourceChain, PausesDoubleWhileASourceKeepsRefusingAndResetWhenItAnswers) {
    auto chain = twoSources({60s, 10min});
    std::vector<SourceClock::duration> pauses;
    for (int i = 0; i < 6; ++i) {
        chain.refused(0, {Refusal::refused, "HTTP status 403"}, std::nullopt, start);
        pauses.push_back(chain.sources()[0].health.skippedUntil() - start);
    }
    const std::vector<SourceClock::duration> expected{60s, 120s, 240s, 480s, 600s, 600s};
    EXPECT_EQ(pauses, expected);
    chain.answered(0);
    EXPECT_EQ(chain.firstUsable(start), 0u);
    EXPECT_EQ(chain.sources()[0].health.refusalsInARow(), 0);
    chain.refused(0, {Refusal::refused, "HTTP status 403"}, std::nullopt, start);
    EXPECT_EQ(chain.sources()[0].health.skippedUntil(), start + 60s);
}

TEST(SourceChain, ASourceThatNeverAnsweredIsTriedAgainAfterTheFirstPauseEachTime) {
    auto chain = twoSources({60s, 24h});
    for (int night = 0; night < 50; ++night) {
        chain.refused(0, {Refusal::unavailable, "Could not connect"}, std::nullopt, start);
    }
    EXPECT_EQ(chain.sources()[0].health.skippedUntil(), start + 60s) << "a night offline is no refusal";
    EXPECT_EQ(chain.sources()[0].health.refusalsInARow(), 0);
    chain.refused(0, {Refusal::refused, "HTTP status 403"}, std::nullopt, start);
    chain.refused(0, {Refusal::refused, "HTTP status 403"}, std::nullopt, start);
    EXPECT_EQ(chain.sources()[0].health.skippedUntil(), start + 120s);
}

TEST(SourceChain, OneSourcesRefusalLeavesTheOthersHealthAlone) {
    auto chain = twoSources();
    chain.refused(1, {Refusal::rateLimited, "HTTP status 429"}, 1h, start);
    EXPECT_EQ(chain.firstUsable(start), 0u);
    EXPECT_EQ(chain.sources()[0].health.refusalsInARow(), 0);
    EXPECT_FALSE(chain.firstUsable(start, 1));
}

TEST(SourceHealth, StatusesAndBodiesAreToldApart) {
    EXPECT_EQ(refusalForStatus(200), Refusal::none);
    EXPECT_EQ(refusalForStatus(401), Refusal::refused);
    EXPECT_EQ(refusalForStatus(403), Refusal::refused);
    EXPECT_EQ(refusalForStatus(451), Refusal::blocked);
    EXPECT_EQ(refusalForStatus(418), Refusal::rateLimited);
    EXPECT_EQ(refusalForStatus(429), Refusal::rateLimited);
    EXPECT_EQ(refusalForStatus(503), Refusal::unavailable);
    EXPECT_EQ(describeUnreadableBody("\n  <!DOCTYPE html><html>"), "an HTML page");
    EXPECT_EQ(describeUnreadableBody(" \r\n"), "an empty answer");
    EXPECT_EQ(describeUnreadableBody("Exceeded the daily hits limit"), "a malformed answer");
}

TEST(SourceChain, PausesReadAsAPersonWouldSayThem) {
    EXPECT_EQ(describePause(45s), "45 s");
    EXPECT_EQ(describePause(5min), "5 min");
    EXPECT_EQ(describePause(3h), "3 h");
    EXPECT_EQ(describePause(72h), "3 days");
}

TEST(SourceChain, ARestartedJobKeepsThePausesSourcesAskedFor) {
    const auto wallNow = std::chrono::system_clock::time_point(std::chrono::seconds(1'800'000'000));
    auto chain = twoSources({60s, 24h});
    chain.refused(0, {Refusal::rateLimited, "HTTP status 429"}, 2h, start);
    const nlohmann::json saved = chain.saved(wallNow, start);
    EXPECT_EQ(saved.size(), 1u) << "a usable source has nothing to keep";
    // Restarted half an hour later, on a steady clock that began anew.
    const auto later = SourceClock::time_point{} + 5s;
    auto restarted = twoSources({60s, 24h});
    restarted.restore(saved, wallNow + 30min, later);
    EXPECT_EQ(restarted.firstUsable(later), 1u);
    EXPECT_EQ(restarted.firstUsable(later + 89min), 1u);
    EXPECT_EQ(restarted.firstUsable(later + 91min), 0u);
    EXPECT_EQ(restarted.sources()[0].health.refusalsInARow(), 1);
    // Long past, a clock gone wrong, or a file that is not ours: nothing is skipped
    // longer than the longest pause.
    auto past = twoSources();
    past.restore(saved, wallNow + 3h, later);
    EXPECT_EQ(past.firstUsable(later), 0u);
    auto jumped = twoSources({60s, 24h});
    jumped.restore(nlohmann::json::parse(R"({"nasdaq": {"until": 9999999999, "refusals": 3}})"), wallNow, later);
    EXPECT_EQ(jumped.sources()[0].health.skippedUntil(), later + 24h);
    auto broken = twoSources();
    broken.restore(nlohmann::json::parse(R"({"nasdaq": "soon", "fmp": {"until": "x"}})"), wallNow, later);
    broken.restore(nlohmann::json::parse("[1]"), wallNow, later);
    EXPECT_EQ(broken.firstUsable(later), 0u);
}
