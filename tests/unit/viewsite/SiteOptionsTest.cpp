#include "viewsite/SiteOptions.h"

#include <gtest/gtest.h>

using namespace viewsite;

namespace {

TEST(SiteOptions, ListenAddressAndFolders) {
    const auto parsed = parseSiteOptions(
        {"--listen", "127.0.0.1:49152", "--root", "/r", "--data", "/d", "--idle-exit", "0", "--no-data-job"},
        SiteOptions{});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->host, "127.0.0.1");
    EXPECT_EQ(parsed.options->port, 49152);
    EXPECT_EQ(parsed.options->root, "/r");
    EXPECT_EQ(parsed.options->dataOverlay, "/d");
    EXPECT_EQ(parsed.options->idleExit.count(), 0);
    EXPECT_FALSE(parsed.options->dataJob);
}

TEST(SiteOptions, RefusesWhatItCannotUse) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--listen", "127.0.0.1"},
                                               {"--listen", "127.0.0.1:0"},
                                               {"--listen", "127.0.0.1:70000"},
                                               {"--listen", ":80"},
                                               {"--listen"},
                                               {"--idle-exit", "-1"},
                                               {"--port", "1"}}) {
        EXPECT_FALSE(parseSiteOptions(arguments, SiteOptions{}).options) << arguments.front();
    }
}

TEST(SiteOptions, ConfigurationPointsTheDataJobElsewhere) {
    SiteOptions options;
    EXPECT_EQ(applySiteConfig(R"({"screenerURL": "http://127.0.0.1:9/s", "historyURL": "http://127.0.0.1:9/{symbol}",
                                   "upstreamTimeoutSeconds": 2, "refreshMarketOpenSeconds": 1,
                                   "refreshMarketClosedSeconds": 3, "retryAfterFailureSeconds": 4,
                                   "firstRunDelaySeconds": 0, "unknown": true})",
                              options),
              std::nullopt);
    EXPECT_EQ(options.screenerURL, "http://127.0.0.1:9/s");
    EXPECT_EQ(options.upstreamTimeout.count(), 2);
    EXPECT_EQ(options.intervals.marketOpen.count(), 1);
    EXPECT_EQ(options.intervals.marketClosed.count(), 3);
    EXPECT_EQ(options.intervals.afterFailure.count(), 4);
    EXPECT_EQ(options.firstRunDelay.count(), 0);
}

TEST(SiteOptions, ABadConfigurationChangesNothing) {
    SiteOptions options;
    const SiteOptions before = options;
    EXPECT_TRUE(applySiteConfig(R"({"screenerURL": "http://x/", "upstreamTimeoutSeconds": "2"})", options));
    EXPECT_TRUE(applySiteConfig(R"({"refreshMarketOpenSeconds": -5})", options));
    EXPECT_TRUE(applySiteConfig("[1, 2]", options));
    EXPECT_TRUE(applySiteConfig("{", options));
    EXPECT_EQ(options.screenerURL, before.screenerURL);
    EXPECT_EQ(options.upstreamTimeout, before.upstreamTimeout);
    EXPECT_EQ(options.intervals.marketOpen, before.intervals.marketOpen);
}

TEST(SiteOptions, AddressesTakeOnlyTheCharactersOfSymbolsKeysAndDays) {
    EXPECT_EQ(addressFor("https://stooq.com/q/d/l/?s={symbol}.us&i=d&apikey={apikey}", {{"SPY"}, "k3Y_-9", "", ""}),
              "https://stooq.com/q/d/l/?s=spy.us&i=d&apikey=k3Y_-9");
    EXPECT_EQ(addressFor("http://h/{symbol}/{SYMBOL}", {{"BRK.B"}, "", "", ""}), "http://h/brk.b/BRK.B");
    EXPECT_EQ(addressFor("http://h/?s={symbol}", {{"A&b=c/../#"}, "", "", ""}), "http://h/?s=abc..");
    EXPECT_EQ(addressFor("http://h/q/{symbols}?apikey={apikey}", {{"AAPL", "brk.b", "X&Y"}, "a&b=c", "", ""}),
              "http://h/q/AAPL,BRK-B,XY?apikey=");
    EXPECT_EQ(addressFor("http://h/?from={from}&to={to}", {{}, "", "2026-06-01", "2026-12-01&x=1"}),
              "http://h/?from=2026-06-01&to=");
    EXPECT_TRUE(lacksItsKey("http://h/?apikey={apikey}", ""));
    EXPECT_TRUE(lacksItsKey("http://h/?apikey={apikey}", "has space"));
    EXPECT_FALSE(lacksItsKey("http://h/?apikey={apikey}", "abc123"));
    EXPECT_FALSE(lacksItsKey("http://h/{symbol}", ""));
}

TEST(SiteOptions, AConfigurationThatNamesItsSourcesGetsNoBuiltInOnes) {
    SiteOptions options;
    ASSERT_EQ(applySiteConfig(R"({"screenerURL": "http://127.0.0.1:9/s", "historyURL": "http://127.0.0.1:9/{symbol}"})",
                              options),
              std::nullopt);
    EXPECT_EQ(options.screenerURL, "http://127.0.0.1:9/s");
    EXPECT_EQ(options.quotesURL, "");
    EXPECT_EQ(options.nasdaqHistoryURL, "");
    SiteOptions keysOnly;
    ASSERT_EQ(applySiteConfig(R"({"fmpApiKey": "abc"})", keysOnly), std::nullopt);
    EXPECT_EQ(keysOnly.quotesURL, SiteOptions().quotesURL) << "a key alone keeps the built-in sources";
    EXPECT_EQ(keysOnly.nasdaqHistoryURL, SiteOptions().nasdaqHistoryURL);
}

TEST(SiteOptions, KeysAndSourceAddressesComeFromTheConfiguration) {
    SiteOptions options;
    EXPECT_EQ(applySiteConfig(R"({"quotesURL": "http://127.0.0.1:9/q/{symbols}?apikey={apikey}", "fmpApiKey": "abc",
                                  "nasdaqHistoryURL": "http://127.0.0.1:9/h/{SYMBOL}", "stooqApiKey": "def",
                                  "answerLimitBytes": 4096})",
                              options),
              std::nullopt);
    EXPECT_EQ(options.quotesURL, "http://127.0.0.1:9/q/{symbols}?apikey={apikey}");
    EXPECT_EQ(options.fmpApiKey, "abc");
    EXPECT_EQ(options.stooqApiKey, "def");
    EXPECT_EQ(options.answerLimitBytes, 4096u);
    // The message never repeats the key: it may reach a log.
    const auto refused = applySiteConfig(R"({"stooqApiKey": "secret
key"})",
                                         options);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->find("secret"), std::string::npos);
    EXPECT_EQ(options.stooqApiKey, "def");
    EXPECT_TRUE(applySiteConfig(R"({"answerLimitBytes": 10})", options));
}

}  // namespace
