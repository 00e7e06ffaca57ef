#include "viewsite/PageSources.h"

#include <gtest/gtest.h>

using namespace viewsite;

TEST(PageSources, EachAnswerIsReadAsItsProvidersFormat) {
    // A recorded real Binance answer (tests/pages/fixtures/SOURCES.md).
    const auto binance = readPageAnswer(
        PageSourceFormat::binanceKlines,
        R"([[1624559520000,"34970.90000000","35047.03000000","34800.01000000","35047.03000000","0.41947200",)"
        R"(1624559579999,"14686.87819470",37,"0.41391700","14492.85555020","0"]])");
    EXPECT_EQ(binance.verdict.refusal, Refusal::none);
    EXPECT_EQ(binance.items, 1u);
    EXPECT_EQ(binance.unit, "candles");
    EXPECT_EQ(
        readPageAnswer(PageSourceFormat::binanceKlines, R"({"code":-1003,"msg":"Too many requests"})").verdict.refusal,
        Refusal::rateLimited);
    EXPECT_EQ(readPageAnswer(PageSourceFormat::binanceKlines, "[]").verdict.reason, "no candles");

    const auto kraken = readPageAnswer(
        PageSourceFormat::krakenOhlc, R"({"error":[],"result":{"XXBTZUSD":[[1,"1","1","1","1","1","1",1]],"last":1}})");
    EXPECT_EQ(kraken.items, 1u);
    EXPECT_EQ(
        readPageAnswer(PageSourceFormat::krakenOhlc, R"({"error":["EGeneral:Too many requests"]})").verdict.refusal,
        Refusal::rateLimited);
    EXPECT_EQ(
        readPageAnswer(PageSourceFormat::krakenOhlc, R"({"error":["EQuery:Unknown asset pair"]})").verdict.refusal,
        Refusal::refused);

    EXPECT_EQ(readPageAnswer(PageSourceFormat::coingeckoMarkets, R"({"status":{"error_code":429}})").verdict.refusal,
              Refusal::rateLimited);
    std::string many = "[";
    for (int i = 0; i < 150; ++i) {
        many += std::string(i ? "," : "") + R"({"id":"c","quotes":{"USD":{}}})";
    }
    EXPECT_EQ(readPageAnswer(PageSourceFormat::coinpaprikaTickers, many + "]").items, 100u);
    for (const auto format : {PageSourceFormat::binanceKlines, PageSourceFormat::krakenOhlc,
                              PageSourceFormat::coingeckoMarkets, PageSourceFormat::coinpaprikaTickers}) {
        const auto html = readPageAnswer(format, "<!DOCTYPE html><html>");
        EXPECT_EQ(html.verdict.refusal, Refusal::wrongFormat);
        EXPECT_EQ(html.verdict.reason, "an HTML page");
    }
}
