#include "viewsite/MarketData.h"

#include <gtest/gtest.h>

using namespace viewsite;
using nlohmann::json;

namespace {

std::vector<Company> members(int count) {
    std::vector<Company> list;
    list.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        list.push_back({"S" + std::to_string(i), "Name " + std::to_string(i), "Sector"});
    }
    return list;
}

std::string screener(int count, const std::string& extra = "") {
    std::string rows;
    for (int i = 0; i < count; ++i) {
        rows += (i ? "," : "") + std::string(R"({"symbol":"S)") + std::to_string(i) +
                R"(","name":"<b>Upstream name</b>","marketCap":"1,234,567","pctchange":"+0.456%"})";
    }
    return R"({"data":{"rows":[)" + rows + extra + "]}}";
}

TEST(MarketData, TakesNumbersFromUpstreamAndTextFromTheSnapshot) {
    const auto result = heatmapFromScreener(200, screener(10), members(10), "2026-12-07T13:00:00Z");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.document["source"], "nasdaq");
    EXPECT_EQ(result.document["updatedAt"], "2026-12-07T13:00:00Z");
    ASSERT_EQ(result.document["companies"].size(), 10u);
    const auto& first = result.document["companies"][0];
    EXPECT_EQ(first["s"], "S0");
    EXPECT_EQ(first["n"], "Name 0");
    EXPECT_EQ(first["sector"], "Sector");
    EXPECT_DOUBLE_EQ(first["cap"].get<double>(), 1234567);
    EXPECT_DOUBLE_EQ(first["chg"].get<double>(), 0.46);
}

TEST(MarketData, IgnoresStrangersDuplicatesAndRowsWithoutAValue) {
    const std::string extra = R"(,{"symbol":"ZZZ","marketCap":"5","pctchange":"1%"},)"
                              R"({"symbol":"S0","marketCap":"9","pctchange":"9%"},)"
                              R"({"symbol":"S9","marketCap":"","pctchange":"1%"}, 7, null)";
    const auto result = heatmapFromScreener(200, screener(9, extra), members(10), "t");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.document["companies"].size(), 9u);
    EXPECT_DOUBLE_EQ(result.document["companies"][0]["cap"].get<double>(), 1234567);
}

TEST(MarketData, ASlashInTheUpstreamSymbolIsTheIndexsDot) {
    const auto result =
        heatmapFromScreener(200, R"({"data":{"rows":[{"symbol":"BRK/B","marketCap":"1","pctchange":"bad"}]}})",
                            {{"BRK.B", "Berkshire", "Financials"}}, "t");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.document["companies"][0]["s"], "BRK.B");
    EXPECT_TRUE(result.document["companies"][0]["chg"].is_null());
}

TEST(MarketData, RefusesFailedMalformedAndPartialAnswers) {
    EXPECT_EQ(heatmapFromScreener(429, screener(10), members(10), "t").error, "HTTP status 429");
    EXPECT_EQ(heatmapFromScreener(200, screener(10).substr(0, 80), members(10), "t").error, "malformed answer");
    EXPECT_EQ(heatmapFromScreener(200, R"({"data":{"rows":{}}})", members(10), "t").error, "malformed answer");
    EXPECT_EQ(heatmapFromScreener(200, "[]", members(10), "t").error, "malformed answer");
    const auto partial = heatmapFromScreener(200, screener(8), members(10), "t");
    EXPECT_FALSE(partial.ok);
    EXPECT_EQ(partial.error, "partial answer: 8 of 10 companies");
    EXPECT_TRUE(heatmapFromScreener(200, screener(9), members(10), "t").ok);
    EXPECT_FALSE(heatmapFromScreener(200, screener(0), {}, "t").ok);
}

TEST(MarketData, ReadsADailyHistory) {
    const std::string csv =
        "Date,Open,High,Low,Close,Volume\r\n2026-12-01,1,2,0.5,101.5,100\r\n"
        "2026-12-02,1,2,0.5,102,100\r\nnot,a,row\r\n2026-12-02,1,2,0.5,999,1\r\n"
        "2026-12-03,1,2,0.5,-4,1\r\n2026-12-04,1,2,0.5,104.25,100";
    const auto closes = closesFromCsv(200, csv);
    ASSERT_EQ(closes.size(), 3u);
    EXPECT_EQ(closes[0].first, 1796155200000);  // 2026-12-01 20:00 UTC
    EXPECT_DOUBLE_EQ(closes[0].second, 101.5);
    EXPECT_DOUBLE_EQ(closes[2].second, 104.25);
    EXPECT_EQ(closesFromCsv(200, csv, 2).front().second, 102);
    EXPECT_TRUE(closesFromCsv(404, csv).empty());
    EXPECT_TRUE(closesFromCsv(200, "<html>No data</html>").empty());
}

TEST(MarketData, EveryIndexNeedsItsHistory) {
    const std::vector<IndexSeries> indices{{"SPY", "S&P 500"}, {"QQQ", "Nasdaq 100"}};
    const std::vector<std::pair<std::int64_t, double>> history{{1, 10}, {2, 11}};
    const auto whole = indicesFromHistories(indices, {history, history}, "t");
    ASSERT_TRUE(whole.ok);
    EXPECT_EQ(whole.document["series"][1]["symbol"], "QQQ");
    EXPECT_EQ(whole.document["series"][0]["closes"], json::parse("[[1,10.0],[2,11.0]]"));
    EXPECT_FALSE(indicesFromHistories(indices, {history}, "t").ok);
    EXPECT_FALSE(indicesFromHistories(indices, {history, {{1, 10}}}, "t").ok);
}

TEST(MarketData, ScriptTwinCannotBeBrokenOutOf) {
    const json document{{"source", "nasdaq"}, {"companies", {{{"n", "</script><script>alert(1)</script>\u2028é"}}}}};
    const std::string script = scriptFor("TAVELO_SP500", document);
    EXPECT_TRUE(script.starts_with("// Refreshed by the view site's data job (\"nasdaq\").\nwindow.TAVELO_SP500 = {"));
    EXPECT_TRUE(script.ends_with("};\n"));
    for (const unsigned char c : script) {
        EXPECT_LT(c, 0x80);
    }
    const size_t start = script.find(" = ") + 3;
    EXPECT_EQ(json::parse(script.substr(start, script.size() - start - 2)), document);
}

TEST(MarketData, MembershipComesFromTheShippedSnapshots) {
    const auto companies = companiesOf(json::parse(
        R"({"companies":[{"s":"AAPL","n":"Apple","sector":"IT"},{"n":"no symbol"},7,{"s":"MSFT","n":"Microsoft"}]})"));
    ASSERT_EQ(companies.size(), 2u);
    EXPECT_EQ(companies[1].symbol, "MSFT");
    EXPECT_EQ(companies[1].sector, "");
    EXPECT_TRUE(companiesOf(json::parse("[]")).empty());
    const auto indices = indicesOf(json::parse(R"({"series":[{"symbol":"SPY","name":"S&P 500"},{"name":"x"}]})"));
    ASSERT_EQ(indices.size(), 1u);
    EXPECT_EQ(indices[0].name, "S&P 500");
}

}  // namespace

TEST(MarketData, AbsurdNumbersNeverReachTheMap) {
    const std::string rows = R"({"data":{"rows":[)"
                             R"({"symbol":"S0","marketCap":"1e308","pctchange":"1.0%"},)"
                             R"({"symbol":"S1","marketCap":"100,000,000,000,001","pctchange":"1.0%"},)"
                             R"({"symbol":"S2","marketCap":"5,000","pctchange":"99999%"},)"
                             R"({"symbol":"S3","marketCap":"5,000","pctchange":"UNCH"},)"
                             R"({"symbol":"S4","marketCap":"5,000","pctchange":"-0.25%"}]}})";
    // S0 and S1 are left out (caps beyond any company's): without them the list is partial.
    EXPECT_EQ(heatmapFromScreener(200, rows, members(2), "t").error, "partial answer: 0 of 2 companies");
    std::vector<Company> three{{"S2", "Two", "X"}, {"S3", "Three", "X"}, {"S4", "Four", "X"}};
    const auto kept = heatmapFromScreener(200, rows, three, "t");
    ASSERT_TRUE(kept.ok) << kept.error;
    EXPECT_TRUE(kept.document["companies"][0]["chg"].is_null()) << "a tenfold-plus day is no data";
    EXPECT_EQ(kept.document["companies"][1]["chg"], 0.0) << "Nasdaq's UNCH is no change";
    EXPECT_EQ(kept.document["companies"][2]["chg"], -0.25);
}

TEST(MarketData, ReadsFinancialModelingPrepQuotes) {
    const std::string body = R"([{"symbol":"AAPL","name":"Apple Inc.","price":145.775,"changesPercentage":0.32,)"
                             R"("change":0.465,"marketCap":2306437439846,"exchange":"NASDAQ"},)"
                             R"({"symbol":"BRK-B","marketCap":1.0e12,"changesPercentage":-1.234},)"
                             R"({"symbol":"MSFT","marketCap":null,"changesPercentage":1}])";
    const std::vector<Company> index{{"AAPL", "Apple", "Information Technology"}, {"BRK.B", "Berkshire", "Financials"}};
    const auto result = heatmapFromQuotes(200, body, index, "t");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.document["source"], "fmp");
    EXPECT_EQ(result.document["companies"][0]["cap"], 2306437439846.0);
    EXPECT_EQ(result.document["companies"][1]["s"], "BRK.B");
    EXPECT_EQ(result.document["companies"][1]["chg"], -1.23);
    EXPECT_EQ(heatmapFromQuotes(200, R"({"Error Message":"Invalid API KEY."})", index, "t").error, "malformed answer");
    EXPECT_EQ(heatmapFromQuotes(403, body, index, "t").error, "HTTP status 403");
}

TEST(MarketData, ReadsNasdaqHistoricalQuotesNewestFirst) {
    const std::string body =
        R"({"data":{"symbol":"SPY","totalRecords":4,"tradesTable":{"asOf":null,"rows":[)"
        R"({"date":"12/04/2026","close":"$1,104.25","volume":"1","open":"$1","high":"$1","low":"$1"},)"
        R"({"date":"12/03/2026","close":"N/A"},)"
        R"({"date":"12/02/2026","close":"$102.00"},)"
        R"({"date":"12/01/2026","close":"$101.50"},)"
        R"({"date":"11/30/2026","close":"$99999999.00"}]}},"message":null,"status":{"rCode":200}})";
    const auto closes = closesFromNasdaqHistory(200, body);
    ASSERT_EQ(closes.size(), 3u);
    EXPECT_EQ(closes[0].first, 1796155200000);  // 2026-12-01 20:00 UTC
    EXPECT_DOUBLE_EQ(closes[0].second, 101.5);
    EXPECT_DOUBLE_EQ(closes[2].second, 1104.25);
    EXPECT_TRUE(closesFromNasdaqHistory(200, R"({"data":null,"message":"Symbol not exists"})").empty());
    EXPECT_TRUE(closesFromNasdaqHistory(403, body).empty());
    const auto indices = indicesFromHistories({{"SPY", "S&P 500"}}, {closes}, "t", "nasdaq");
    ASSERT_TRUE(indices.ok);
    EXPECT_EQ(indices.document["source"], "nasdaq");
}
