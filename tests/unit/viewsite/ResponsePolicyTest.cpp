#include "viewsite/ResponsePolicy.h"

#include <gtest/gtest.h>

using namespace viewsite;

namespace {

const std::string tag = entityTag({11221, 1765111000123456789});
const std::time_t modified = 1765111000;

TEST(ResponsePolicy, EntityTagChangesWithSizeAndTime) {
    EXPECT_EQ(tag.front(), '"');
    EXPECT_EQ(tag.back(), '"');
    EXPECT_NE(tag, entityTag({11222, 1765111000123456789}));
    EXPECT_NE(tag, entityTag({11221, 1765111000123456790}));
}

TEST(ResponsePolicy, IfNoneMatchDecidesWhenSent) {
    EXPECT_TRUE(notModified(tag, std::nullopt, tag, modified));
    EXPECT_TRUE(notModified("W/" + tag, std::nullopt, tag, modified));
    EXPECT_TRUE(notModified("\"a\", " + tag + " ,\"b\"", std::nullopt, tag, modified));
    EXPECT_TRUE(notModified(" * ", std::nullopt, tag, modified));
    EXPECT_FALSE(notModified("\"other\"", std::nullopt, tag, modified));
    EXPECT_FALSE(notModified("", std::nullopt, tag, modified));
    // A stale tag wins over a date that would match.
    EXPECT_FALSE(notModified("\"other\"", httpDate(modified), tag, modified));
}

TEST(ResponsePolicy, IfModifiedSinceComparesWholeSeconds) {
    EXPECT_TRUE(notModified(std::nullopt, httpDate(modified), tag, modified));
    EXPECT_TRUE(notModified(std::nullopt, httpDate(modified + 60), tag, modified));
    EXPECT_FALSE(notModified(std::nullopt, httpDate(modified - 1), tag, modified));
    EXPECT_FALSE(notModified(std::nullopt, "yesterday", tag, modified));
    EXPECT_FALSE(notModified(std::nullopt, std::nullopt, tag, modified));
}

TEST(ResponsePolicy, HttpDatesRoundTrip) {
    EXPECT_EQ(httpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
    EXPECT_EQ(parseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
    EXPECT_EQ(parseHttpDate(httpDate(modified)), modified);
    EXPECT_EQ(parseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT trailing"), std::nullopt);
}

TEST(ResponsePolicy, LifetimesFollowHowOftenAFileChanges) {
    EXPECT_EQ(cacheControlFor("/data/sp500.json"), "public, max-age=60, must-revalidate");
    EXPECT_EQ(cacheControlFor("/data/sp500.js"), "public, max-age=60, must-revalidate");
    EXPECT_EQ(cacheControlFor("/fonts/inter-latin-400-normal.woff2"), "public, max-age=31536000, immutable");
    EXPECT_EQ(cacheControlFor("/js/heatmap.js"), "public, max-age=300");
    EXPECT_EQ(cacheControlFor("/js/heatmap.js", "v=0123abcd"), "public, max-age=31536000, immutable");
    EXPECT_EQ(cacheControlFor("/css/pages.css", "x=1&v=0123abcd"), "public, max-age=31536000, immutable");
    EXPECT_EQ(cacheControlFor("/js/heatmap.js", "nov=1"), "public, max-age=300");
    // Data and pages never live long, whatever the address says.
    EXPECT_EQ(cacheControlFor("/data/sp500.js", "v=0123abcd"), "public, max-age=60, must-revalidate");
    EXPECT_EQ(cacheControlFor("/view.html", "v=0123abcd"), "no-cache");
    EXPECT_EQ(cacheControlFor("/view.html"), "no-cache");
    EXPECT_EQ(cacheControlFor("/index.html"), "no-cache");
}

TEST(ResponsePolicy, ContentTypesByExtensionOnly) {
    EXPECT_EQ(contentTypeFor("/view.html"), "text/html; charset=utf-8");
    EXPECT_EQ(contentTypeFor("/data/sp500.js"), "text/javascript; charset=utf-8");
    EXPECT_EQ(contentTypeFor("/data/sp500.json"), "application/json");
    EXPECT_EQ(contentTypeFor("/fonts/a.woff2"), "font/woff2");
    EXPECT_EQ(contentTypeFor("/some.dir/README"), "application/octet-stream");
    EXPECT_EQ(contentTypeFor("/page.HTML.exe"), "application/octet-stream");
}

TEST(ResponsePolicy, PolicyAllowsOnlyTheSiteItself) {
    const std::string policy(contentSecurityPolicy);
    EXPECT_NE(policy.find("default-src 'none'"), std::string::npos);
    EXPECT_EQ(policy.find("unsafe-inline"), std::string::npos);
    EXPECT_EQ(policy.find("unsafe-eval"), std::string::npos);
    EXPECT_EQ(policy.find("http"), std::string::npos);
    EXPECT_EQ(policy.find('*'), std::string::npos);
}

}  // namespace
