#include "app/Catalogue.h"
#include "app/SettingsViewController.h"
#include "shared/ViewSite.h"
#include "shared/ViewTable.h"
#include "shared/ViewURLProvider.h"
#include "tests/unit/app/SettingsFixture.h"

#include <unistd.h>

#include <any>
#include <array>
#include <fstream>
#include <string>

namespace {

using views::PageLocation;

// The table as it stands plus a fifth view, as a newcomer would add one.
constexpr std::array<views::Row, 5> fiveViews{{
    views::table[0],
    views::table[1],
    views::table[2],
    views::table[3],
    {"eth_gas", "ETH Gas", "Gas prices by the minute", "eth_gas", false, PageLocation::bundle, "gasIndex.html"},
}};

std::vector<WallpaperView> fiveViewCatalogue() { return catalogueFrom(fiveViews); }

TEST(ViewTableTest, CatalogueFollowsTheTableRowByRow) {
    const auto entries = catalogueFrom(fiveViews);
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[4], (WallpaperView{"eth_gas", "ETH Gas", "Gas prices by the minute", "eth_gas", std::nullopt}));
    // Only "coming soon" is ever set; a view that can be chosen leaves the flag absent.
    EXPECT_EQ(entries[3].isComingSoon, std::optional<bool>(true));
    EXPECT_EQ(entries[0].isComingSoon, std::nullopt);
    EXPECT_EQ(wallpaperCatalogue().size(), views::table.size());
}

class ViewTableResolutionTest : public ::testing::Test {
protected:
    void SetUp() override {
        bundlePath_ = std::filesystem::temp_directory_path() / ("tavelo-views-" + std::to_string(::getpid()));
        std::filesystem::create_directories(bundlePath_ / "Contents/Resources");
        std::ofstream(bundlePath_ / "Contents/Resources/gasIndex.html") << "<!doctype html>";
    }
    void TearDown() override { std::filesystem::remove_all(bundlePath_); }

    std::filesystem::path bundlePath_;
};

TEST_F(ViewTableResolutionTest, AFifthRowResolvesToItsOwnPage) {
    const platform::Bundle bundle(bundlePath_);
    const auto local = ViewURLProvider::url("eth_gas", true, bundle, fiveViews);
    ASSERT_TRUE(local.has_value());
    const auto* page = std::get_if<ViewURLProvider::LocalPage>(&*local);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->fileURL.ends_with("/Contents/Resources/gasIndex.html?darkened=1")) << page->fileURL;
    EXPECT_TRUE(page->accessURL.ends_with("/Contents/Resources/")) << page->accessURL;

    // A remote row is the site's page of that name, darkened or not.
    constexpr std::array<views::Row, 1> remote{
        {{"bonds", "Bonds", "Yields", "bonds", false, PageLocation::viewSite, "bonds.html"}}};
    const auto site = ViewURLProvider::url("bonds", false, bundle, remote);
    ASSERT_TRUE(site.has_value());
    EXPECT_EQ(std::get<ViewURLProvider::Remote>(*site).url, ViewSite::origin() + "/bonds.html");
    const auto darkSite = ViewURLProvider::url("bonds", true, bundle, remote);
    EXPECT_EQ(std::get<ViewURLProvider::Remote>(*darkSite).url, ViewSite::origin() + "/bonds.html?darkened=1");

    // The new ID is no view of the shipped table: there it shows the site's default page.
    const auto unknown = ViewURLProvider::url("eth_gas", false, bundle);
    ASSERT_TRUE(unknown.has_value());
    EXPECT_EQ(std::get<ViewURLProvider::Remote>(*unknown).url,
              ViewSite::origin() + "/" + std::string(views::unknownViewPage));
}

class FiveViewGridTest : public SettingsFixture {
protected:
    void TearDown() override {
        platform().notificationCenter().removeObserver(this);
        controller.reset();
        SettingsFixture::TearDown();
    }
    std::unique_ptr<SettingsViewController> controller;
};

TEST_F(FiveViewGridTest, AFifthCardGetsARowOfItsOwnAndTheContentGrowsToHoldIt) {
    std::vector<std::string> posted;
    platform().notificationCenter().addObserver(
        this, selectWallpaperNotification,
        [&](const platform::Notification& n) { posted.push_back(std::any_cast<WallpaperView>(n.object).id); });
    controller = std::make_unique<SettingsViewController>(platform(), *settings_, fiveViewCatalogue);
    controller->window();

    auto& window = settingsWindow();
    ASSERT_EQ(window.cards.size(), 5u) << "no card may be left out";
    EXPECT_EQ(window.cards[4].title, "ETH Gas");
    // The fifth card sits alone in a third row; the content is one card's height and
    // the row spacing taller than the four-view window, as wide.
    EXPECT_EQ(window.content.gridRows, 3u);
    EXPECT_EQ(window.content.frame, (platform::Rect{0, 0, 560, 776}));

    window.clickCard(4);
    EXPECT_EQ(posted, std::vector<std::string>{"eth_gas"});
}

TEST(SettingsGridSizeTest, KeepsTheFourViewSizeAndGrowsOneRowPerTwoViews) {
    using Controller = SettingsViewController;
    EXPECT_EQ(Controller::rowCountFor(0), 2u);
    EXPECT_EQ(Controller::rowCountFor(4), 2u);
    EXPECT_EQ(Controller::rowCountFor(5), 3u);
    EXPECT_EQ(Controller::rowCountFor(6), 3u);
    EXPECT_EQ(Controller::rowCountFor(7), 4u);
    EXPECT_EQ(Controller::frameForRows(2), Controller::viewFrame);
    EXPECT_EQ(Controller::frameForRows(3), (platform::Rect{0, 0, 560, 776}));
    EXPECT_EQ(Controller::frameForRows(4).height, 992);
}

}  // namespace
