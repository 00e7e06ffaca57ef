#include "app/Catalogue.h"
#include "app/SettingsViewController.h"
#include "platform/ProductNames.h"
#include "shared/ViewSite.h"
#include "tests/support/CallOrder.h"
#include "tests/unit/app/SettingsFixture.h"

#include <any>

using platform::LoginItemStatus;

class SettingsViewControllerTest : public SettingsFixture {
protected:
    SettingsViewController& build(SettingsViewController::CatalogueSource catalogue = wallpaperCatalogue) {
        platform().notificationCenter().addObserver(this, "SelectWallpaper", [this](const platform::Notification& n) {
            platform().record.add("posted SelectWallpaper");
            posts.push_back(n);
        });
        controller = std::make_unique<SettingsViewController>(platform(), *settings_, std::move(catalogue));
        controller->window();
        return *controller;
    }
    void TearDown() override {
        platform().notificationCenter().removeObserver(this);
        controller.reset();
        SettingsFixture::TearDown();
    }
    std::vector<bool> marks() { return settingsWindow().marks(); }

    std::unique_ptr<SettingsViewController> controller;
    std::vector<platform::Notification> posts;
};

TEST_F(SettingsViewControllerTest, MakesTheWindowWithTheCatalogueInItsGrid) {
    build();
    auto& window = settingsWindow();
    EXPECT_EQ(window.content.title, product::settingsWindowTitle);
    EXPECT_EQ(window.content.frame, (platform::Rect{0, 0, 560, 560}));
    EXPECT_EQ(window.content.heading, "Choose your live view");
    EXPECT_EQ(window.content.launchTitle, "Launch at login");
    EXPECT_EQ(window.content.gridRows, 2u);
    EXPECT_EQ(window.content.cardFrame, (platform::Rect{0, 0, 240, 200}));
    EXPECT_EQ(window.content.cardFrames, WallpaperCardView::layout(240, 200));
    ASSERT_EQ(window.cards.size(), 4u);
    EXPECT_EQ(window.cards[0].title, "Crypto Bubbles");
    EXPECT_EQ(window.cards[3].title, "Stocks Chart (coming soon)");
    EXPECT_TRUE(window.cards[3].covered);
    EXPECT_FALSE(window.cards[2].covered);
    EXPECT_FALSE(window.visible) << "made hidden";
}

TEST_F(SettingsViewControllerTest, MarksTheStoredViewAtBuildTimeWithoutPosting) {
    storeSelectedView("sp500_heatmap");
    build();
    EXPECT_EQ(marks(), (std::vector<bool>{false, false, true, false}));
    EXPECT_TRUE(posts.empty());
}

TEST_F(SettingsViewControllerTest, StoredViewOutsideTheCatalogueMarksNoCardUntilATap) {
    storeSelectedView("Crypto_Bubbles");  // IDs compare exactly
    build();
    EXPECT_EQ(marks(), (std::vector<bool>{false, false, false, false}));
    settingsWindow().clickCard(1);
    EXPECT_EQ(marks(), (std::vector<bool>{false, true, false, false}));
}

TEST_F(SettingsViewControllerTest, TapMarksTheCardThenPostsACopyOfTheEntry) {
    build();
    platform().record.clear();
    settingsWindow().clickCard(1);

    EXPECT_EQ(marks(), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(settingsWindow().cards[1].borderWidth, 2.5);
    ASSERT_EQ(posts.size(), 1u);
    const auto* posted = std::any_cast<WallpaperView>(&posts[0].object);
    ASSERT_NE(posted, nullptr);
    EXPECT_EQ(*posted, wallpaperCatalogue()[1]);
    EXPECT_NE(posted, &controller->items()[1]);  // a copy, not the controller's entry
    // Every card's mark is settled before the choice is announced.
    EXPECT_EQ(platform().record.count("settingsWindow.showCard"), 4);
    EXPECT_TRUE(
        testing_support::allCallsBefore(platform().record, "settingsWindow.showCard", "posted SelectWallpaper"));

    settingsWindow().clickCard(1);  // the marked card again: posted again, mark kept
    EXPECT_EQ(posts.size(), 2u);
    EXPECT_EQ(std::any_cast<WallpaperView>(posts[1].object), wallpaperCatalogue()[1]);
    EXPECT_EQ(marks(), (std::vector<bool>{false, true, false, false}));
}

TEST_F(SettingsViewControllerTest, TapOnTheComingSoonCardChangesNothing) {
    build();  // the default view is marked
    platform().record.clear();
    settingsWindow().clickCard(3);
    EXPECT_TRUE(posts.empty());
    EXPECT_FALSE(platform().record.contains("settingsWindow.showCard"));
    EXPECT_EQ(marks(), (std::vector<bool>{true, false, false, false}));
    // It still grows under the pointer.
    settingsWindow().pointerCrosses(3, true);
    EXPECT_EQ(settingsWindow().scales[3], 1.03);
}

TEST_F(SettingsViewControllerTest, SelectingAPositionWithoutACardUnmarksEveryCard) {
    build();
    controller->selectCard(2);
    controller->selectCard(7);
    EXPECT_EQ(marks(), (std::vector<bool>{false, false, false, false}));
    EXPECT_TRUE(posts.empty());
}

TEST_F(SettingsViewControllerTest, ShortCatalogueLeavesPlacesEmptyButKeepsBothRows) {
    build([] {
        auto items = wallpaperCatalogue();
        items.resize(1);
        return items;
    });
    EXPECT_EQ(settingsWindow().content.cardCount, 1u);
    EXPECT_EQ(settingsWindow().content.gridRows, 2u);
    EXPECT_EQ(marks(), (std::vector<bool>{true}));
}

TEST_F(SettingsViewControllerTest, CheckboxShowsOnlyAnEnabledLoginItemAsOn) {
    platform().loginItem_.status_ = LoginItemStatus::requiresApproval;
    build();
    EXPECT_FALSE(settingsWindow().launchAtLogin);

    TearDown();
    SetUp();
    platform().loginItem_.status_ = LoginItemStatus::enabled;
    build();
    EXPECT_TRUE(settingsWindow().launchAtLogin);
}

TEST_F(SettingsViewControllerTest, CheckboxRegistersAndUnregistersTheLoginItem) {
    build();
    settingsWindow().clickCheckbox();
    EXPECT_EQ(platform().loginItem_.status_, LoginItemStatus::enabled);
    settingsWindow().clickCheckbox();
    EXPECT_EQ(platform().loginItem_.status_, LoginItemStatus::notRegistered);
    EXPECT_EQ(platform().record.matching("loginItem."),
              (std::vector<std::string>{"loginItem.register", "loginItem.unregister"}));
    EXPECT_FALSE(platform().record.contains("log "));
}

TEST_F(SettingsViewControllerTest, FailedLoginItemChangeRevertsTheCheckboxAndLogs) {
    build();
    auto& window = settingsWindow();
    platform().loginItem_.failure = "the desktop refused the entry";
    window.clickCheckbox();  // off -> on, refused
    EXPECT_FALSE(window.launchAtLogin);
    EXPECT_EQ(platform().record.matching("log "),
              (std::vector<std::string>{"log Launch at login toggle failed: the desktop refused the entry"}));

    platform().loginItem_.failure.reset();
    window.clickCheckbox();
    ASSERT_TRUE(window.launchAtLogin);
    platform().loginItem_.failure = "read-only folder";
    window.clickCheckbox();  // on -> off, refused
    EXPECT_TRUE(window.launchAtLogin);
    EXPECT_TRUE(platform().record.contains("log Launch at login toggle failed: read-only folder"));
    // The revert is not a click: it changes no login item.
    EXPECT_EQ(platform().record.count("loginItem."), 3);
}

TEST_F(SettingsViewControllerTest, VersionLineFromTheBundleWithFallbacks) {
    build();
    EXPECT_EQ(settingsWindow().content.versionText, "Tavelo Live Wallpaper  v1.2.3");

    writeInfo(R"({"CFBundleShortVersionString": "2.0"})");
    EXPECT_EQ(controller->versionText(), "Tavelo  v2.0");
    writeInfo(R"({"CFBundleName": "Tavelo Live Wallpaper", "CFBundleShortVersionString": 2})");
    EXPECT_EQ(controller->versionText(), "Tavelo Live Wallpaper  v");
    writeInfo("");
    EXPECT_EQ(controller->versionText(), "Tavelo  v");
}

TEST_F(SettingsViewControllerTest, LinkIsTitledWithTheHostAndOpensTheSiteRoot) {
    build();
    const std::string& title = settingsWindow().content.linkTitle;
    EXPECT_EQ(title, ViewSite::hostName());
    EXPECT_FALSE(title.empty());
    EXPECT_EQ(title.find('/'), std::string::npos);
    settingsWindow().clickLink();
    EXPECT_EQ(platform().workspace_.opened, (std::vector<std::string>{ViewSite::origin()}));
}

TEST_F(SettingsViewControllerTest, CardCallbackHeldPastTheControllerDoesNothing) {
    build();
    const auto tap = controller->cardViews()[0]->onTap;
    controller.reset();
    tap();
    EXPECT_TRUE(posts.empty());
}
