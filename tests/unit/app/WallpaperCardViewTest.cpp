#include "app/WallpaperCardView.h"
#include "tests/unit/app/SettingsFixture.h"

using platform::CardFrames;
using platform::Rect;

TEST(WallpaperCardLayout, PlacesThePartsOfTheStandardCard) {
    const CardFrames frames = WallpaperCardView::layout(240, 200);
    EXPECT_EQ(frames.container, (Rect{0, 0, 240, 200}));
    EXPECT_EQ(frames.preview, (Rect{8, 82, 224, 110}));
    EXPECT_EQ(frames.title, (Rect{10, 30, 220, 17}));
    EXPECT_EQ(frames.description, (Rect{10, 12, 220, 14}));
    EXPECT_EQ(frames.overlay, (Rect{0, 0, 240, 200}));
    EXPECT_EQ(frames.glyph, (Rect{0, 84, 240, 32}));
}

TEST(WallpaperCardLayout, KeepsProportionsAndFixedOffsetsAtAnotherSize) {
    const CardFrames frames = WallpaperCardView::layout(300, 150);
    // The picture keeps 55 % of the height with an 8-point margin at the top and sides.
    EXPECT_DOUBLE_EQ(frames.preview.height, 82.5);
    EXPECT_DOUBLE_EQ(frames.preview.y, 150 - 82.5 - 8);
    EXPECT_EQ(frames.preview.x, 8);
    EXPECT_EQ(frames.preview.width, 284);
    EXPECT_EQ(frames.title, (Rect{10, 30, 280, 17}));
    EXPECT_EQ(frames.description, (Rect{10, 12, 280, 14}));
    EXPECT_EQ(frames.glyph, (Rect{0, 59, 300, 32}));
    EXPECT_EQ(frames.overlay, frames.container);
}

class WallpaperCardViewTest : public SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        platform::SettingsWindowContent content;
        content.cardCount = 1;
        window = platform().makeSettingsWindow(content, {});
        card = std::make_unique<WallpaperCardView>(*window, 0, platform().mainBundle());
    }
    const platform::CardFace& shown() { return settingsWindow().cards[0]; }

    std::unique_ptr<platform::SettingsWindow> window;
    std::unique_ptr<WallpaperCardView> card;
};

TEST_F(WallpaperCardViewTest, ConfigureShowsTheEntryAndCoversOnlyComingSoonEntries) {
    EXPECT_TRUE(card->face().covered) << "a new card is covered until it is configured";
    card->configure({"crypto_chart", "Crypto Chart", "Real-time crypto charts", "crypto_chart", std::nullopt});
    EXPECT_EQ(shown().title, "Crypto Chart");
    EXPECT_EQ(shown().description, "Real-time crypto charts");
    ASSERT_TRUE(shown().preview);
    EXPECT_EQ(shown().preview->filename(), "crypto_chart.png");
    EXPECT_FALSE(shown().covered);

    card->configure({"x", "X", "", "crypto_chart", false});
    EXPECT_FALSE(shown().covered);

    card->configure({"stocks_chart", "Stocks Chart (coming soon)", "Track stock performance", "stocks_chart", true});
    EXPECT_TRUE(shown().covered);
}

TEST_F(WallpaperCardViewTest, MissingPreviewAssetLeavesThePictureEmpty) {
    card->configure({"crypto_chart", "Crypto Chart", "d", "crypto_chart", std::nullopt});
    card->configure({"nothing", "Nothing", "d", "no_such_picture", std::nullopt});
    EXPECT_FALSE(shown().preview);
    EXPECT_EQ(shown().title, "Nothing");
    // A name that tries to leave the images folder finds nothing either.
    card->configure({"nothing", "Nothing", "d", "../images/crypto_chart", std::nullopt});
    EXPECT_FALSE(shown().preview);
}

TEST_F(WallpaperCardViewTest, SelectionShowsTheBorderEveryTimeAndKeepsTheRest) {
    card->configure({"crypto_chart", "Crypto Chart", "d", "crypto_chart", std::nullopt});
    card->setSelected(false);
    EXPECT_EQ(platform().record.matching("settingsWindow.showCard"),
              (std::vector<std::string>{"settingsWindow.showCard 0 border 0", "settingsWindow.showCard 0 border 0"}));
    card->setSelected(true);
    card->setSelected(true);
    EXPECT_EQ(shown().borderWidth, 2.5);
    EXPECT_EQ(shown().title, "Crypto Chart");
    EXPECT_EQ(platform().record.count("settingsWindow.showCard 0 border 2.5"), 2);
    card->setSelected(false);
    EXPECT_EQ(shown().borderWidth, 0);
}

TEST_F(WallpaperCardViewTest, GrowsWhileThePointerIsOverItAndReportsEachClick) {
    card->handleClick();  // no owner yet: nothing happens
    int taps = 0;
    card->onTap = [&] { ++taps; };

    card->mouseEntered();
    card->handleClick();
    card->handleClick();
    card->mouseExited();
    EXPECT_EQ(taps, 2);
    EXPECT_EQ(platform().record.matching("settingsWindow.scaleCard"),
              (std::vector<std::string>{"settingsWindow.scaleCard 0 1.03 over 0.15",
                                        "settingsWindow.scaleCard 0 1 over 0.15"}));
}
