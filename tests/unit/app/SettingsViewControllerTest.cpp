#include "app/Catalogue.h"
#include "app/SettingsViewController.h"
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
        controller->view();
        return *controller;
    }
    void TearDown() override {
        platform().notificationCenter().removeObserver(this);
        controller.reset();
        SettingsFixture::TearDown();
    }
    // Which cards carry the accent border.
    std::vector<bool> marks() const {
        std::vector<bool> marked;
        for (auto* card : platform_->widgets_.cards) {
            marked.push_back(card->borderWidth == 2.5 && card->borderColor == platform::BorderColor::accent);
        }
        return marked;
    }
    platform::fake::FakeCheckbox& checkbox() { return *widgets().checkboxes.at(0); }

    std::unique_ptr<SettingsViewController> controller;
    std::vector<platform::Notification> posts;
};

TEST_F(SettingsViewControllerTest, BuildsTheGridOfFourCardsInCatalogueOrder) {
    build();
    auto& w = widgets();
    ASSERT_EQ(w.cards.size(), 4u);
    EXPECT_EQ(w.cards[0]->title, "Crypto Bubbles");
    EXPECT_EQ(w.cards[3]->title, "Stocks Chart (coming soon)");
    EXPECT_FALSE(w.cards[3]->overlayHidden);
    EXPECT_EQ(w.cards[2]->frame, (platform::Rect{0, 0, 240, 200}));
    // The grid: a vertical stack of two rows of two cards, 16 points apart.
    ASSERT_EQ(w.stacks.size(), 4u);  // grid, two rows, and the version line
    EXPECT_EQ(w.stacks[0]->arranged, (std::vector<platform::Widget*>{w.stacks[1], w.stacks[2]}));
    EXPECT_EQ(w.stacks[1]->arranged, (std::vector<platform::Widget*>{w.cards[0], w.cards[1]}));
    EXPECT_EQ(w.stacks[2]->arranged, (std::vector<platform::Widget*>{w.cards[2], w.cards[3]}));
    EXPECT_TRUE(platform().record.contains("stack0.create vertical 16"));
    // Every card is held at its size, once.
    for (int card = 0; card < 4; ++card) {
        const std::string prefix = "card" + std::to_string(card) + ".fixSize";
        EXPECT_EQ(platform().record.matching(prefix), (std::vector<std::string>{prefix + " 240x200"}));
    }
}

TEST_F(SettingsViewControllerTest, LaysTheWindowOutFromTopToBottom) {
    build();
    EXPECT_EQ(platform().record.matching("content0."), (std::vector<std::string>{
                                                           "content0.create {0,0,560,560}",
                                                           "content0.addBelowPrevious label0 24 leading 24",
                                                           "content0.addBelowPrevious stack0 16 centered",
                                                           "content0.addBelowPrevious separator0 20 stretched 24",
                                                           "content0.addBelowPrevious checkbox0 14 leading 24",
                                                           "content0.pinToBottom stack3 16 leading 24",
                                                       }));
    EXPECT_TRUE(platform().record.contains("label0.create \"Choose your live view\" 15 bold"));
    EXPECT_TRUE(platform().record.contains("checkbox0.create \"Launch at login\""));
    EXPECT_TRUE(platform().record.contains("stack3.create horizontal 8"));
    EXPECT_EQ(widgets().stacks[3]->arranged,
              (std::vector<platform::Widget*>{widgets().labels[1], widgets().linkButtons[0]}));
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
    widgets().cards[1]->click();
    EXPECT_EQ(marks(), (std::vector<bool>{false, true, false, false}));
}

TEST_F(SettingsViewControllerTest, TapMarksTheCardThenPostsACopyOfTheEntry) {
    build();
    platform().record.clear();
    widgets().cards[1]->click();

    EXPECT_EQ(marks(), (std::vector<bool>{false, true, false, false}));
    ASSERT_EQ(posts.size(), 1u);
    const auto* posted = std::any_cast<WallpaperView>(&posts[0].object);
    ASSERT_NE(posted, nullptr);
    EXPECT_EQ(*posted, wallpaperCatalogue()[1]);
    EXPECT_NE(posted, &controller->items()[1]);  // a copy, not the controller's entry
    // Every card's mark is settled before the choice is announced.
    for (const char* card : {"card0.setBorder", "card1.setBorder", "card2.setBorder", "card3.setBorder"}) {
        EXPECT_TRUE(testing_support::allCallsBefore(platform().record, card, "posted SelectWallpaper"));
    }

    widgets().cards[1]->click();  // the marked card again: posted again, mark kept
    EXPECT_EQ(posts.size(), 2u);
    EXPECT_EQ(std::any_cast<WallpaperView>(posts[1].object), wallpaperCatalogue()[1]);
    EXPECT_EQ(marks(), (std::vector<bool>{false, true, false, false}));
}

TEST_F(SettingsViewControllerTest, TapOnTheComingSoonCardChangesNothing) {
    build();  // the default view is marked
    platform().record.clear();
    widgets().cards[3]->click();
    EXPECT_TRUE(posts.empty());
    EXPECT_FALSE(platform().record.contains("card0.setBorder"));
    EXPECT_FALSE(platform().record.contains("card3.setBorder"));
    EXPECT_EQ(marks(), (std::vector<bool>{true, false, false, false}));
    // It still grows under the pointer.
    widgets().cards[3]->pointerEnters();
    EXPECT_EQ(widgets().cards[3]->scale, 1.03);
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
    auto& w = widgets();
    EXPECT_EQ(w.cards.size(), 1u);
    EXPECT_EQ(w.stacks[0]->arranged.size(), 2u);
    EXPECT_EQ(w.stacks[1]->arranged.size(), 1u);
    EXPECT_TRUE(w.stacks[2]->arranged.empty());
    EXPECT_EQ(marks(), (std::vector<bool>{true}));
}

TEST_F(SettingsViewControllerTest, EntriesAfterTheFourthAreShownInFurtherRows) {
    build([] {
        auto items = wallpaperCatalogue();
        items.push_back({"extra", "Extra", "", "extra", std::nullopt});
        return items;
    });
    ASSERT_EQ(widgets().cards.size(), 5u);
    EXPECT_EQ(widgets().cards[4]->title, "Extra");
}

TEST_F(SettingsViewControllerTest, CheckboxShowsOnlyAnEnabledLoginItemAsOn) {
    platform().loginItem_.status_ = LoginItemStatus::requiresApproval;
    build();
    EXPECT_FALSE(checkbox().state());

    TearDown();
    SetUp();
    platform().loginItem_.status_ = LoginItemStatus::enabled;
    build();
    EXPECT_TRUE(checkbox().state());
}

TEST_F(SettingsViewControllerTest, CheckboxRegistersAndUnregistersTheLoginItem) {
    build();
    checkbox().click();
    EXPECT_EQ(platform().loginItem_.status_, LoginItemStatus::enabled);
    checkbox().click();
    EXPECT_EQ(platform().loginItem_.status_, LoginItemStatus::notRegistered);
    EXPECT_EQ(platform().record.matching("loginItem."),
              (std::vector<std::string>{"loginItem.register", "loginItem.unregister"}));
    EXPECT_FALSE(platform().record.contains("log "));
}

TEST_F(SettingsViewControllerTest, FailedLoginItemChangeRevertsTheCheckboxAndLogs) {
    build();
    platform().loginItem_.failure = "the desktop refused the entry";
    checkbox().click();  // off -> on, refused
    EXPECT_FALSE(checkbox().state());
    EXPECT_EQ(platform().record.matching("log "),
              (std::vector<std::string>{"log Launch at login toggle failed: the desktop refused the entry"}));

    platform().loginItem_.failure.reset();
    checkbox().click();
    ASSERT_TRUE(checkbox().state());
    platform().loginItem_.failure = "read-only folder";
    checkbox().click();  // on -> off, refused
    EXPECT_TRUE(checkbox().state());
    EXPECT_TRUE(platform().record.contains("log Launch at login toggle failed: read-only folder"));
    // The revert is not a click: it changes no login item.
    EXPECT_EQ(platform().record.count("loginItem."), 3);
}

TEST_F(SettingsViewControllerTest, VersionLineFromTheBundleWithFallbacks) {
    build();
    EXPECT_EQ(widgets().labels[1]->text(), "Tavelo Live Wallpaper  v1.2.3");
    EXPECT_EQ(widgets().labels[1]->font, (platform::Font{11, false}));
    EXPECT_EQ(widgets().labels[1]->color, platform::TextColor::tertiaryLabel);

    writeInfo(R"({"CFBundleShortVersionString": "2.0"})");
    EXPECT_EQ(controller->versionText(), "Tavelo  v2.0");
    writeInfo(R"({"CFBundleName": "Tavelo Live Wallpaper", "CFBundleShortVersionString": 2})");
    EXPECT_EQ(controller->versionText(), "Tavelo Live Wallpaper  v");
    writeInfo("");
    EXPECT_EQ(controller->versionText(), "Tavelo  v");
}

TEST_F(SettingsViewControllerTest, LinkIsTitledWithTheHostAndOpensTheSiteRoot) {
    build();
    auto& link = *widgets().linkButtons.at(0);
    EXPECT_EQ(link.title, ViewSite::hostName());
    EXPECT_FALSE(link.title.empty());
    EXPECT_EQ(link.title.find('/'), std::string::npos);
    EXPECT_EQ(link.font, (platform::Font{11, false}));
    link.click();
    EXPECT_EQ(platform().workspace_.opened, (std::vector<std::string>{ViewSite::origin()}));
}

TEST_F(SettingsViewControllerTest, CardCallbackHeldPastTheControllerDoesNothing) {
    build();
    const auto tap = controller->cardViews()[0]->onTap;
    controller.reset();
    tap();
    EXPECT_TRUE(posts.empty());
}
