#include "app/WallpaperCardView.h"
#include "tests/unit/app/SettingsFixture.h"

using platform::BorderColor;
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
    std::unique_ptr<WallpaperCardView> makeCard() {
        auto card = std::make_unique<WallpaperCardView>(platform().widgets(), platform().mainBundle());
        surface = widgets().cards.back();
        return card;
    }
    platform::fake::FakeCardSurface* surface = nullptr;
};

TEST_F(WallpaperCardViewTest, IsBuiltStyledAndLaysOutOnEachLayoutPass) {
    auto card = makeCard();
    EXPECT_EQ(surface->frame, (Rect{0, 0, 240, 200}));
    ASSERT_TRUE(surface->style);
    const auto& style = *surface->style;
    EXPECT_EQ(style.panelCornerRadius, 16);
    EXPECT_EQ(style.panelShadow, (platform::Shadow{0.18, 10, 0, -2}));
    EXPECT_EQ(style.previewCornerRadius, 10);
    EXPECT_TRUE(style.previewStretchesToFill);
    EXPECT_EQ(style.titleFont, (platform::Font{13, true}));
    EXPECT_EQ(style.descriptionFont, (platform::Font{11, false}));
    EXPECT_EQ(style.descriptionColor, platform::TextColor::secondaryLabel);
    EXPECT_EQ(style.overlayBlackAlpha, 0.45);
    EXPECT_EQ(style.glyph, "\U0001F512");
    // A new card is unmarked and covered until it is configured.
    EXPECT_FALSE(surface->overlayHidden);
    EXPECT_EQ(surface->borderWidth, 0);

    surface->layOutAt(240, 200);
    EXPECT_EQ(surface->frames, WallpaperCardView::layout(240, 200));
    surface->layOutAt(260, 220);
    EXPECT_EQ(surface->frames, WallpaperCardView::layout(260, 220));
}

TEST_F(WallpaperCardViewTest, ConfigureShowsTheEntryAndCoversOnlyComingSoonEntries) {
    auto card = makeCard();
    card->configure({"crypto_chart", "Crypto Chart", "Real-time crypto charts", "crypto_chart", std::nullopt});
    EXPECT_EQ(surface->title, "Crypto Chart");
    EXPECT_EQ(surface->description, "Real-time crypto charts");
    ASSERT_TRUE(surface->image);
    EXPECT_EQ(surface->image->filename(), "crypto_chart.png");
    EXPECT_TRUE(surface->overlayHidden);

    card->configure({"x", "X", "", "crypto_chart", false});
    EXPECT_TRUE(surface->overlayHidden);

    card->configure({"stocks_chart", "Stocks Chart (coming soon)", "Track stock performance", "stocks_chart", true});
    EXPECT_FALSE(surface->overlayHidden);
}

TEST_F(WallpaperCardViewTest, MissingPreviewAssetLeavesThePictureEmpty) {
    auto card = makeCard();
    card->configure({"crypto_chart", "Crypto Chart", "d", "crypto_chart", std::nullopt});
    card->configure({"nothing", "Nothing", "d", "no_such_picture", std::nullopt});
    EXPECT_FALSE(surface->image);
    EXPECT_EQ(surface->title, "Nothing");
    // A name that tries to leave the images folder finds nothing either.
    card->configure({"nothing", "Nothing", "d", "../images/crypto_chart", std::nullopt});
    EXPECT_FALSE(surface->image);
}

TEST_F(WallpaperCardViewTest, SelectionSetsBothBorderPropertiesEveryTime) {
    auto card = makeCard();
    card->setSelected(false);
    EXPECT_EQ(platform().record.matching("card0.setBorder"), (std::vector<std::string>{"card0.setBorder 0 clear"}));
    card->setSelected(true);
    card->setSelected(true);
    EXPECT_EQ(surface->borderWidth, 2.5);
    EXPECT_EQ(surface->borderColor, BorderColor::accent);
    EXPECT_EQ(platform().record.count("card0.setBorder 2.5 accent"), 2);
    card->setSelected(false);
    EXPECT_EQ(surface->borderWidth, 0);
    EXPECT_EQ(surface->borderColor, BorderColor::clear);
}

TEST_F(WallpaperCardViewTest, GrowsWhileThePointerIsOverItAndReportsEachClick) {
    auto card = makeCard();
    surface->click();  // no owner yet: nothing happens
    int taps = 0;
    card->onTap = [&] { ++taps; };

    surface->pointerEnters();
    EXPECT_EQ(surface->scale, 1.03);
    surface->click();
    surface->click();
    surface->pointerExits();
    EXPECT_EQ(surface->scale, 1.0);
    EXPECT_EQ(taps, 2);
    EXPECT_EQ(platform().record.matching("card0.animateScale"),
              (std::vector<std::string>{"card0.animateScale 1.03 over 0.15", "card0.animateScale 1 over 0.15"}));
}
