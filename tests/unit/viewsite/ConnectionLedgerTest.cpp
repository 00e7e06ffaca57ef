#include "viewsite/ConnectionLedger.h"
#include "viewsite/ResponsePolicy.h"
#include "viewsite/SiteOptions.h"

#include <gtest/gtest.h>

using namespace viewsite;

namespace {

using Admission = ConnectionLedger::Admission;

TEST(ConnectionLedger, EachClientAndAllTogetherAreHeldToTheirLimits) {
    ConnectionLedger ledger(ConnectionLimits{.total = 5, .perClient = 3});
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ledger.admit("127.0.0.1"), Admission::admitted);
    }
    EXPECT_EQ(ledger.admit("127.0.0.1"), Admission::overClient);
    EXPECT_EQ(ledger.openFrom("127.0.0.1"), 3u) << "a refused connection is not counted";
    EXPECT_EQ(ledger.admit("127.0.0.2"), Admission::admitted);
    EXPECT_EQ(ledger.admit("::1"), Admission::admitted);
    EXPECT_EQ(ledger.admit("127.0.0.3"), Admission::overTotal);
    EXPECT_EQ(ledger.open(), 5u);

    // A closed connection makes room again, for its client and for the others.
    ledger.release("127.0.0.1");
    EXPECT_EQ(ledger.admit("127.0.0.3"), Admission::admitted);
    ledger.release("127.0.0.2");
    ledger.release("127.0.0.1");
    EXPECT_EQ(ledger.admit("127.0.0.1"), Admission::admitted);
    EXPECT_EQ(ledger.openFrom("127.0.0.2"), 0u);
}

TEST(ConnectionLedger, ReleasingWhatWasNeverAdmittedChangesNothing) {
    ConnectionLedger ledger(ConnectionLimits{.total = 2, .perClient = 2});
    ledger.release("127.0.0.1");
    EXPECT_EQ(ledger.admit("127.0.0.1"), Admission::admitted);
    ledger.release("127.0.0.9");
    EXPECT_EQ(ledger.open(), 1u);
    ledger.release("127.0.0.1");
    ledger.release("127.0.0.1");
    EXPECT_EQ(ledger.open(), 0u);
    EXPECT_EQ(ledger.admit("127.0.0.1"), Admission::admitted);
    EXPECT_EQ(ledger.admit("127.0.0.1"), Admission::admitted);
    EXPECT_EQ(ledger.admit("127.0.0.1"), Admission::overTotal);
}

TEST(ResponsePolicy, OnlyOneByteRangeIsHonoured) {
    for (const char* one : {"bytes=0-99", "bytes=100-", "bytes=-500", " bytes=0-0 "}) {
        EXPECT_TRUE(isSingleByteRange(one)) << one;
    }
    for (const char* other : {"bytes=0-1,2-3", "bytes=0-,0-", "bytes=", "items=0-1", "", "bytes=0-1, 5-9"}) {
        EXPECT_FALSE(isSingleByteRange(other)) << other;
    }
}

TEST(SiteOptions, ConnectionLimitsAndTimeoutsFromTheCommandLine) {
    const auto parsed = parseSiteOptions(
        {"--header-timeout", "2", "--answer-timeout", "5", "--max-connections", "900", "--max-per-client", "7"},
        SiteOptions{});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->limits.headerTimeout, std::chrono::seconds(2));
    EXPECT_EQ(parsed.options->limits.answerTimeout, std::chrono::seconds(5));
    EXPECT_EQ(parsed.options->limits.total, 900u);
    EXPECT_EQ(parsed.options->limits.perClient, 7u);
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--header-timeout", "0"}, {"--answer-timeout", "x"}, {"--max-connections", "0"}, {"--max-per-client"}}) {
        EXPECT_FALSE(parseSiteOptions(arguments, SiteOptions{}).options) << arguments.front();
    }
}

}  // namespace
