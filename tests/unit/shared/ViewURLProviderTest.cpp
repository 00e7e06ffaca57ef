#include "platform/FileURL.h"
#include "platform/fake/RecordingPlatform.h"
#include "shared/ViewSite.h"
#include "shared/ViewURLProvider.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

namespace {

using testing_support::TemporaryFolder;

class ViewURLProviderTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    platform::fake::RecordingPlatform recorder;  // records the log lines

    platform::Bundle bundleWith(std::initializer_list<const char*> resources, const std::string& name = "App.app") {
        return platform::Bundle(testing_support::makeBundle(folder.path(), name, resources));
    }
    std::string resourcesURL(const platform::Bundle& bundle) {
        return "file://" + bundle.resourcesPath().string() + "/";
    }
};

ViewURLProvider::LocalPage local(const std::optional<ViewURLProvider::Result>& result) {
    EXPECT_TRUE(result.has_value());
    EXPECT_TRUE(std::holds_alternative<ViewURLProvider::LocalPage>(*result));
    return std::get<ViewURLProvider::LocalPage>(*result);
}

platform::URLRequest remote(const std::optional<ViewURLProvider::Result>& result) {
    EXPECT_TRUE(result.has_value());
    EXPECT_TRUE(std::holds_alternative<platform::URLRequest>(*result));
    return std::get<platform::URLRequest>(*result);
}

TEST_F(ViewURLProviderTest, LocalViewsResolveToBundlePagesWithTheDarkenedQueryOnlyWhenAsked) {
    const auto bundle = bundleWith({"index.html", "chartIndex.html"});
    const std::string folderURL = resourcesURL(bundle);

    EXPECT_EQ(local(ViewURLProvider::url("crypto_bubbles", false, bundle)),
              (ViewURLProvider::LocalPage{folderURL + "index.html", folderURL}));
    EXPECT_EQ(local(ViewURLProvider::url("crypto_bubbles", true, bundle)),
              (ViewURLProvider::LocalPage{folderURL + "index.html?darkened=1", folderURL}));
    EXPECT_EQ(local(ViewURLProvider::url("crypto_chart", false, bundle)),
              (ViewURLProvider::LocalPage{folderURL + "chartIndex.html", folderURL}));
    EXPECT_EQ(local(ViewURLProvider::url("crypto_chart", true, bundle)),
              (ViewURLProvider::LocalPage{folderURL + "chartIndex.html?darkened=1", folderURL}));
    EXPECT_TRUE(recorder.record.calls().empty()) << "resolving an existing page logs nothing";
}

TEST_F(ViewURLProviderTest, RemoteViewsResolveToTheSitePagesWithTimeoutAndDefaultCachePolicy) {
    const auto bundle = bundleWith({"index.html", "chartIndex.html"});
    const std::string origin = ViewSite::origin();
    const struct {
        const char* id;
        bool darkened;
        std::string url;
    } table[] = {
        {"sp500_heatmap", false, origin + "/view.html"},
        {"sp500_heatmap", true, origin + "/view.html?darkened=1"},
        {"stocks_chart", false, origin + "/stockView.html"},
        {"stocks_chart", true, origin + "/stockView.html?darkened=1"},
        // IDs outside the table: exact, case-sensitive, untrimmed comparison.
        {"Crypto_Bubbles", false, origin + "/view.html"},
        {" crypto_bubbles", true, origin + "/view.html?darkened=1"},
        {"crypto_bubbles ", false, origin + "/view.html"},
        {"", true, origin + "/view.html?darkened=1"},
        {"CRYPTO_CHART", false, origin + "/view.html"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(std::string("id '") + row.id + "' darkened " + (row.darkened ? "true" : "false"));
        const auto request = remote(ViewURLProvider::url(row.id, row.darkened, bundle));
        EXPECT_EQ(request.url, row.url);
        EXPECT_EQ(request.timeoutInterval, 60.0);
        EXPECT_EQ(request.cachePolicy, platform::CachePolicy::useProtocolCachePolicy);
    }
}

TEST_F(ViewURLProviderTest, TheOriginIsAnAbsoluteOriginWithoutTrailingSlash) {
    const std::string origin = ViewSite::origin();
    ASSERT_FALSE(origin.empty());
    EXPECT_NE(origin.back(), '/');
    EXPECT_TRUE(origin.rfind("https://", 0) == 0 || origin.rfind("http://127.0.0.1", 0) == 0 ||
                origin.rfind("http://localhost", 0) == 0)
        << origin;
    EXPECT_FALSE(ViewSite::hostName().empty());
    EXPECT_EQ(origin.find(ViewSite::hostName()), origin.find("://") + 3);
}

TEST_F(ViewURLProviderTest, BundleUnderAPathWithSpacesKeepsItsEncodedPathWhenTheQueryIsAdded) {
    const auto bundle = bundleWith({"index.html"}, "Tavelo Live Wallpaper.app");
    const auto page = local(ViewURLProvider::url("crypto_bubbles", true, bundle));

    EXPECT_NE(page.fileURL.find("Tavelo%20Live%20Wallpaper.app/Contents/Resources/index.html?darkened=1"),
              std::string::npos)
        << page.fileURL;
    EXPECT_EQ(page.fileURL.find(' '), std::string::npos);
    EXPECT_EQ(page.accessURL.find('?'), std::string::npos);
    EXPECT_EQ(page.accessURL.substr(page.accessURL.size() - 11), "/Resources/");
    EXPECT_EQ(platform::pathFromFileURL(page.fileURL), bundle.resourcesPath() / "index.html");
}

TEST_F(ViewURLProviderTest, AMissingLocalPageLogsItsNameAndResolvesToNothing) {
    const auto bundle = bundleWith({"index.html"});

    EXPECT_FALSE(ViewURLProvider::url("crypto_chart", true, bundle).has_value());
    EXPECT_EQ(recorder.record.calls(),
              std::vector<std::string>{"log ⚠️ ViewURLProvider: chartIndex.html not found in bundle"});

    // The other local page is still there.
    EXPECT_TRUE(ViewURLProvider::url("crypto_bubbles", true, bundle).has_value());

    const auto empty = bundleWith({}, "Empty.app");
    EXPECT_FALSE(ViewURLProvider::url("crypto_bubbles", false, empty).has_value());
    EXPECT_EQ(recorder.record.calls().back(), "log ⚠️ ViewURLProvider: index.html not found in bundle");
}

}  // namespace
