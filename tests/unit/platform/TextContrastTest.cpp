#include "platform/TextContrast.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using platform::contrastRatio;
using platform::dimmedTextColor;
using platform::Rgb;

Rgb hex(unsigned value) {
    return {((value >> 16) & 0xff) / 255.0, ((value >> 8) & 0xff) / 255.0, (value & 0xff) / 255.0};
}

TEST(TextContrastTest, RatiosMatchTheKnownValues) {
    EXPECT_NEAR(contrastRatio(hex(0x000000), hex(0xffffff)), 21.0, 1e-9);
    EXPECT_NEAR(contrastRatio(hex(0xffffff), hex(0x000000)), 21.0, 1e-9) << "order does not matter";
    EXPECT_NEAR(contrastRatio(hex(0x777777), hex(0x777777)), 1.0, 1e-9);
    // #767676 is the lightest grey that reads on white at 4.5:1; #777777 just misses it.
    EXPECT_GE(contrastRatio(hex(0x767676), hex(0xffffff)), 4.5);
    EXPECT_LT(contrastRatio(hex(0x777777), hex(0xffffff)), 4.5);
}

TEST(TextContrastTest, FinePrintIsRaisedToReadableContrastInEveryThemeButNoFurther) {
    struct Theme {
        const char* name;
        Rgb text;
        Rgb background;
    };
    const Theme themes[] = {
        {"Adwaita", hex(0x2e3436), hex(0xf6f5f4)},
        {"Adwaita-dark", hex(0xeeeeec), hex(0x353535)},
        {"HighContrast", hex(0x000000), hex(0xffffff)},
        {"HighContrastInverse", hex(0xffffff), hex(0x000000)},
    };
    for (const auto& theme : themes) {
        for (double opacity : {0.4, 0.6}) {
            const Rgb dimmed = dimmedTextColor(theme.text, theme.background, opacity);
            const double ratio = contrastRatio(dimmed, theme.background);
            EXPECT_GE(ratio, 4.5) << theme.name << " at " << opacity;
            // Still dimmed: fainter than the full text colour, and by no more contrast than needed.
            EXPECT_LT(ratio, contrastRatio(theme.text, theme.background)) << theme.name;
            // Either the plain dimming (readable already) or raised just to the minimum.
            const double plain = theme.text.red * opacity + theme.background.red * (1 - opacity);
            if (std::abs(dimmed.red - plain) > 1e-6) {
                EXPECT_LT(ratio, 4.6) << theme.name << " at " << opacity << ": raised further than needed";
            }
        }
    }
}

TEST(TextContrastTest, ADimmingThatIsReadableAlreadyIsKeptAndAWeakThemeIsNotMadeWorse) {
    // Black at 0.9 on white is a plain blend: no correction needed.
    const Rgb blend = dimmedTextColor(hex(0x000000), hex(0xffffff), 0.9);
    EXPECT_NEAR(blend.red, 0.1, 1e-9);
    EXPECT_NEAR(blend.green, 0.1, 1e-9);
    EXPECT_NEAR(blend.blue, 0.1, 1e-9);
    // A theme whose own text is below the minimum keeps its text colour undimmed.
    const Rgb weak = dimmedTextColor(hex(0x999999), hex(0xffffff), 0.4);
    EXPECT_NEAR(weak.red, 0x99 / 255.0, 1e-9);
    // Full opacity is the text colour itself.
    const Rgb full = dimmedTextColor(hex(0x2e3436), hex(0xf6f5f4), 1.0);
    EXPECT_NEAR(full.blue, 0x36 / 255.0, 1e-9);
}

TEST(TextContrastTest, AFaintLinkMovesTowardsTheTextColourOnlyAsFarAsNeeded) {
    // Adwaita dark's link blue on its window background is about 3.3:1.
    const Rgb link = hex(0x3584e4);
    const Rgb text = hex(0xeeeeec);
    const Rgb background = hex(0x353535);
    ASSERT_LT(contrastRatio(link, background), 4.5);
    const Rgb readable = platform::towardsContrast(link, text, background);
    EXPECT_GE(contrastRatio(readable, background), 4.5);
    EXPECT_LT(contrastRatio(readable, background), 4.6);
    EXPECT_GT(readable.blue, readable.red + 0.15) << "still blue";
    // A link readable already keeps its colour exactly.
    const Rgb lightLink = hex(0x1b6acb);
    const Rgb kept = platform::towardsContrast(lightLink, hex(0x2e3436), hex(0xf6f5f4));
    EXPECT_EQ(kept.red, lightLink.red);
    EXPECT_EQ(kept.blue, lightLink.blue);
}

TEST(TextContrastTest, OnlyBordersThatStandOutOutlineAControl) {
    EXPECT_FALSE(platform::isVisibleEdge(hex(0xcdc7c2), hex(0xf6f5f4))) << "Adwaita's soft borders";
    EXPECT_FALSE(platform::isVisibleEdge(hex(0x1b1b1b), hex(0x353535))) << "Adwaita-dark's";
    EXPECT_TRUE(platform::isVisibleEdge(hex(0x000000), hex(0xffffff))) << "a high-contrast theme's";
    EXPECT_TRUE(platform::isVisibleEdge(hex(0xffffff), hex(0x000000)));
}

}  // namespace
