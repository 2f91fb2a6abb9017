// The bitmap fonts, measured and laid out as the game does it: every glyph is there, the pound
// sign is the last, amounts fit the credit and bank boxes and questions fit their box.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "asset_files.h"
#include "display/asset_manifest.h"
#include "display/font_layout.h"

namespace {
// The fonts by the code the game draws them with, which is their resource image id.
const int32_t kFonts[] = {Font1Image,      Font2Image,         AmountFontImage,
                          AnswerFontImage, PointsBoxFontImage, WinPlanFontImage};
std::string FontFile(int32_t code) {
    return AssetFilePath(ResourceImagePath(code));
}

Pixels Font(const std::string& rel) {
    return LoadAsGame(rel);
}

int TextWidth(const std::vector<int>& adv, const std::string& text) {
    int w = 0;
    for (unsigned char c : text) w += adv[GlyphIndex(c)];
    return w;
}

// Lines the game makes of a text in a box of this width, and the widest of them.
int LineCount(const std::vector<int>& adv, const std::string& text, int boxWidth, int* widest) {
    int32_t a[kGlyphCount];
    for (int g = 0; g < kGlyphCount; ++g) a[g] = adv[g];
    TextLayout layout;
    LayOutText(text.c_str(), int(text.size()), boxWidth, a, layout);
    *widest = 0;
    for (int i = 0; i <= layout.lineBreaks; ++i) *widest = std::max(*widest, layout.lineWidth[i]);
    return layout.lineBreaks + 1;
}

class Fonts : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(GeneratedAssets().empty()) << "the generator failed"; }
};

TEST_F(Fonts, EveryGlyphButTheSpaceHasInkAndTheSpaceHasNone) {
    for (int32_t code : kFonts) {
        SCOPED_TRACE(FontFile(code));
        Pixels px = Font(FontFile(code));
        ASSERT_GT(px.width, 0);
        ASSERT_EQ(px.height % 96, 0);
        int fh = px.height / 96;
        for (int g = 0; g < 96; ++g) {
            int ink = 0;
            for (int y = g * fh; y < (g + 1) * fh; ++y)
                for (int x = 0; x < px.width; ++x) ink += !px.IsKey(x, y);
            if (g == 0)
                EXPECT_EQ(ink, 0);
            else
                EXPECT_GT(ink, 3) << "glyph " << g;
        }
    }
}

TEST_F(Fonts, GlyphsStartAtTheLeftAndStayInsideTheirFrame) {
    // Ink in column 0 is never measured and the last column leaves no gap to the next glyph;
    // glyphs of one font differ from each other (no two characters drawn alike).
    for (int32_t code : kFonts) {
        SCOPED_TRACE(FontFile(code));
        Pixels px = Font(FontFile(code));
        ASSERT_GT(px.width, 0);
        int fh = px.height / 96;
        std::set<std::vector<uint8_t>> shapes;
        for (int g = 1; g < 96; ++g) {
            int leftmost = px.width;
            std::vector<uint8_t> shape;
            for (int y = g * fh; y < (g + 1) * fh; ++y)
                for (int x = 0; x < px.width; ++x) {
                    shape.insert(shape.end(), px.At(x, y), px.At(x, y) + 3);
                    if (!px.IsKey(x, y)) leftmost = std::min(leftmost, x);
                }
            EXPECT_GE(leftmost, 1) << "glyph " << g;
            EXPECT_LE(leftmost, 3) << "glyph " << g;
            for (int y = g * fh; y < (g + 1) * fh; ++y)
                EXPECT_TRUE(px.IsKey(px.width - 1, y)) << "glyph " << g;
            shapes.insert(shape);
        }
        EXPECT_EQ(shapes.size(), 95u);
    }
}

TEST_F(Fonts, AdvancesFollowTheLetterShapes) {
    Pixels px = Font(FontFile(Font2Image));
    ASSERT_GT(px.width, 0);
    std::vector<int> adv = GameAdvances(FontFile(Font2Image), Font2Image);
    auto a = [&](char c) { return adv[GlyphIndex(c)]; };
    EXPECT_LT(a('i'), a('n'));
    EXPECT_LT(a('l'), a('o'));
    EXPECT_LT(a('.'), a('0'));
    EXPECT_LT(a('n'), a('W'));
    EXPECT_LT(a('I'), a('M'));
    // Letters keep a gap between them: no glyph fills its frame.
    for (int g = 1; g < 96; ++g) EXPECT_LE(adv[g], px.width + 1) << "glyph " << g;
}

TEST_F(Fonts, AmountsFitTheCreditAndBankBoxes) {
    Pixels px = Font(FontFile(AmountFontImage));
    ASSERT_GT(px.width, 0);
    std::vector<int> adv = GameAdvances(FontFile(AmountFontImage), AmountFontImage);
    int lineHeight = px.height / 96;
    // The largest amount the game shows is below 10000 pence.
    for (const char* amount : {"\xA3"
                               "0.00",
                               "\xA3"
                               "12.50",
                               "\xA3"
                               "99.99"}) {
        SCOPED_TRACE(amount);
        EXPECT_LE(TextWidth(adv, amount), 168);
    }
    EXPECT_LE(lineHeight, 47);
    // Big enough to read from a bar stool.
    EXPECT_GE(lineHeight, 30);
    EXPECT_GE(TextWidth(adv,
                        "\xA3"
                        "0.00"),
              80);
}

TEST_F(Fonts, QuestionsOfFourLinesFitTheQuestionBox) {
    Pixels px = Font(FontFile(Font2Image));
    ASSERT_GT(px.width, 0);
    std::vector<int> adv = GameAdvances(FontFile(Font2Image), Font2Image);
    int lineHeight = px.height / 96;
    EXPECT_LE(4 * lineHeight, 110);
    int widest = 0;
    // A long statement still fits four lines of the 315-pixel box.
    std::string q =
        "The Great Wall of China is visible from the Moon with the naked eye, according "
        "to astronauts.";
    int lines = LineCount(adv, q, 315, &widest);
    EXPECT_LE(lines, 4);
    EXPECT_LE(widest, 315);
    // And a short one is not lost in the box: text is big enough to read.
    int oneLine = TextWidth(adv, "Paris is in France.");
    EXPECT_GE(oneLine, 120);
    EXPECT_LE(oneLine, 315);
}

TEST_F(Fonts, ThePoundSignIsTheLastGlyphAndItsOwn) {
    for (int32_t code : kFonts) {
        SCOPED_TRACE(FontFile(code));
        Pixels px = Font(FontFile(code));
        ASSERT_GT(px.width, 0);
        int fh = px.height / 96;
        auto frame = [&](int g) {
            return std::vector<uint8_t>(px.rgba.begin() + size_t(g) * fh * px.width * 4,
                                        px.rgba.begin() + size_t(g + 1) * fh * px.width * 4);
        };
        // Glyph 95 is not a copy of '~' or 'L' or 'E' (the letters nearest a pound sign).
        EXPECT_NE(frame(95), frame(94));
        EXPECT_NE(frame(95), frame('L' - 32));
        EXPECT_NE(frame(95), frame('E' - 32));
        std::vector<int> adv = GameAdvances(FontFile(code), code);
        EXPECT_GE(adv[95], adv['L' - 32] - 2);
    }
}
}  // namespace

namespace {
// Fonts measure the same whatever the display depth.
TEST_F(Fonts, AdvancesAreTheSameAtEveryDepth) {
    for (int32_t code : kFonts) {
        SCOPED_TRACE(FontFile(code));
        std::vector<int> at32 = GameAdvances(FontFile(code), code, 32);
        ASSERT_EQ(at32.size(), 96u);
        EXPECT_EQ(GameAdvances(FontFile(code), code, 24), at32);
        EXPECT_EQ(GameAdvances(FontFile(code), code, 16), at32);
    }
}
}  // namespace
