#include <gtest/gtest.h>

#include <filesystem>

#include "display/fonts.h"
#include "support/headless_display.h"

namespace {
constexpr int kFrameWidth = 8, kFrameHeight = 10;

// The ink colour of a glyph in the test font.
Colour Ink(int glyph) {
    return {(glyph * 8) & 0xF8, 252, glyph >= 64 ? 248 : 0};
}

// Font2 (code 7): every glyph a bar in columns 2 to 4, rows 2 to 7, in its own colour.
class FontDraw : public SpriteDisplay {
  protected:
    void SetUp() override {
        SpriteDisplay::SetUp();
        std::filesystem::create_directories("Graphic_resource");
        SpritePicture font(kFrameWidth, kFrameHeight * kGlyphCount);
        for (int g = 0; g < kGlyphCount; ++g)
            for (int row = 2; row < 8; ++row)
                for (int column = 2; column <= 4; ++column)
                    font.Set(column, g * kFrameHeight + row, Ink(g));
        WriteSpriteBmp("Graphic_resource/Font2.BMP", font);
        LoadResourceImage(FontImage(7), 7, kGlyphCount);
        CentreLines = CentreBlock = false;
        FillScreen({0, 0, 60});
    }
    void TearDown() override {
        CentreLines = CentreBlock = false;
        SpriteDisplay::TearDown();
    }
    // True when the glyph's bar has its top-left ink pixel at (x + 2, y + 2) on the screen and
    // nothing to the left of it.
    bool GlyphAt(int glyph, int x, int y) {
        Colour c = ScreenAt(x + 2, y + 2), left = ScreenAt(x + 1, y + 2);
        Colour want = Ink(glyph);
        return std::abs(c.r - want.r) <= 8 && std::abs(c.b - want.b) <= 8 && c.g >= 248 &&
               left.g == 0;
    }
};

TEST_P(FontDraw, GlyphsOfTheWideSlotAdvanceByTheirInkPlusTwo) {
    const int32_t* advances = FontAdvances(7);
    ASSERT_NE(nullptr, advances);
    EXPECT_EQ(6, advances['A' - 32]);
    EXPECT_EQ(6, advances[95]);
    EXPECT_EQ(kFrameWidth / 2, advances[0]);
}

TEST_P(FontDraw, CentredAmountDrawsThePoundSignFirstAndClearsCentring) {
    CentreLines = true;
    DrawFontText(
        "\xA3"
        "1",
        100, 50, 40, 30, 7);
    EXPECT_FALSE(CentreLines);
    // Two glyphs of 6: the line is 12 wide, centred in 40; one line of 10 centred in 30.
    EXPECT_TRUE(GlyphAt(95, 100 + 14, 50 + 10));
    EXPECT_TRUE(GlyphAt('1' - 32, 100 + 20, 50 + 10));

    // Without setting CentreLines again the text starts at the box's corner.
    FillScreen({0, 0, 60});
    DrawFontText(
        "\x7F"
        "1",
        100, 50, 40, 30, 7);
    EXPECT_TRUE(GlyphAt(95, 100, 50)) << "byte 127 draws the pound sign too";
    EXPECT_TRUE(GlyphAt('1' - 32, 106, 50));
}

TEST_P(FontDraw, BlockCentringStaysSetAndKeepsLinesAtTheLeft) {
    CentreBlock = true;
    DrawFontText("ab cd", 10, 20, 14, 60, 7);  // "ab" is 12 wide: " cd" goes to line 2
    EXPECT_TRUE(CentreBlock);
    const int top = (60 - 2 * kFrameHeight) / 2;
    EXPECT_TRUE(GlyphAt('a' - 32, 10, 20 + top));
    EXPECT_TRUE(GlyphAt('c' - 32, 10, 20 + top + kFrameHeight));
    FillScreen({0, 0, 60});
    DrawFontText("ab cd", 10, 20, 14, 60, 7);
    EXPECT_TRUE(GlyphAt('a' - 32, 10, 20 + top)) << "still centred vertically";
}

TEST_P(FontDraw, UnknownCodesUseFontOneAndBytesWithoutGlyphsDrawNothing) {
    std::vector<uint8_t> before = ScreenBytes();
    DrawFontText("\x01\x80\xFF", 10, 10, 100, 20, 7);
    DrawFontText(nullptr, 10, 10, 100, 20, 7);
    EXPECT_EQ(before, ScreenBytes());
    EXPECT_EQ(&FontImage(6), &FontImage(42));
    // Font1 is missing from this working directory: using it shuts the display down quietly.
    DrawFontText("a", 10, 10, 100, 20, 99);
    EXPECT_FALSE(DisplayIsUp());
}

INSTANTIATE_TEST_SUITE_P(Depths, FontDraw, testing::Values(32, 24, 16), DepthName);
}  // namespace
