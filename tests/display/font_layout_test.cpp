#include "display/font_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {
// A font image of 96 frames drawn by the test: magenta everywhere, glyph pixels where asked.
struct TestFont {
    int width, frameHeight, bytes, pitch;
    std::vector<uint8_t> memory;

    TestFont(int w, int fh, int b)
        : width(w),
          frameHeight(fh),
          bytes(b),
          pitch(w * b + 8),
          memory(static_cast<size_t>(pitch) * fh * kGlyphCount, 0) {
        for (int y = 0; y < fh * kGlyphCount; ++y)
            for (int x = 0; x < w; ++x) Paint(x, y, true);
    }
    void Paint(int x, int y, bool key) {
        uint8_t* p = &memory[static_cast<size_t>(y) * pitch + x * bytes];
        if (bytes == 2) {
            uint16_t v = key ? 0xF81F : 0xFFFF;
            p[0] = static_cast<uint8_t>(v), p[1] = static_cast<uint8_t>(v >> 8);
        } else {
            p[0] = key ? 255 : 20, p[1] = key ? 0 : 20, p[2] = key ? 255 : 20;
        }
    }
    void Ink(int glyph, int row, int column) { Paint(column, glyph * frameHeight + row, false); }
    std::vector<const uint8_t*> Rows() {
        std::vector<const uint8_t*> rows;
        for (int y = 0; y < frameHeight * kGlyphCount; ++y)
            rows.push_back(&memory[static_cast<size_t>(y) * pitch]);
        return rows;
    }
};

class FontMeasure : public testing::TestWithParam<int> {};

TEST_P(FontMeasure, AdvanceIsTheRightmostInkedColumnPlusTheSlotsExtra) {
    TestFont font(12, 9, GetParam());
    const int glyphA = 'A' - 32, glyphDot = '.' - 32, glyphBar = '|' - 32;
    for (int row = 2; row < 7; ++row)
        for (int column = 2; column <= 4; ++column) font.Ink(glyphA, row, column);
    font.Ink(glyphDot, 8, 0);  // only column 0, which is never tested
    font.Ink(glyphBar, 0, 11);
    font.Ink(glyphBar, 8, 1);
    font.Ink(0, 3, 10);  // the space frame has ink, yet advances half the frame width
    for (int code : {6, 7, 10, 11, 12}) {
        FontSlot slot = FontSlotOf(code);
        int32_t advances[kGlyphCount];
        MeasureGlyphAdvances(font.Rows(), font.width, font.bytes, font.frameHeight,
                             slot.advanceAdds, advances);
        bool wide = slot.slot == 1 || slot.slot == 2;
        SCOPED_TRACE(testing::Message() << "font code " << code);
        EXPECT_EQ(wide ? 6 : 5, advances[glyphA]);
        EXPECT_EQ(wide ? 2 : 1, advances[glyphDot]);
        EXPECT_EQ(wide ? 13 : 12, advances[glyphBar]);
        EXPECT_EQ(wide ? 2 : 1, advances['z' - 32]) << "an empty glyph";
        EXPECT_EQ(6, advances[0]);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, FontMeasure, testing::Values(4, 3, 2),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param * 8) + "Bits";
                         });

TEST(FontMeasure, SlotsFollowTheFontCodes) {
    EXPECT_EQ(1, FontSlotOf(12).slot);
    EXPECT_EQ(2, FontSlotOf(7).slot);
    EXPECT_EQ(7, FontSlotOf(10).slot);
    EXPECT_EQ(8, FontSlotOf(11).slot);
    EXPECT_EQ(0, FontSlotOf(6).slot);
    EXPECT_EQ(0, FontSlotOf(99).slot);
    EXPECT_EQ(6, FontImageOf(99));
    EXPECT_EQ(6, FontImageOf(-3));
    EXPECT_EQ(12, FontImageOf(12));
}

TEST(FontMeasure, ColumnTestsStopAtTheLimit) {
    // Every frame is blank except a dot in column 3 of its last row, so each glyph costs the
    // blank rows' full scans plus the scan down to column 3.
    const int width = 1025, frameHeight = 12;
    TestFont font(width, frameHeight, 4);
    for (int g = 0; g < kGlyphCount; ++g) font.Ink(g, frameHeight - 1, 3);
    int32_t advances[kGlyphCount];
    MeasureGlyphAdvances(font.Rows(), width, 4, frameHeight, 1, advances);
    const int perGlyph = (frameHeight - 1) * (width - 1) + (width - 3);
    const int measured = kColumnTestLimit / perGlyph;  // glyphs whose last row is reached
    ASSERT_GT(measured, 1);
    ASSERT_LT(measured, kGlyphCount);
    for (int g = 1; g < kGlyphCount; ++g)
        EXPECT_EQ(g < measured ? 4 : 1, advances[g]) << "glyph " << g;
    EXPECT_EQ(width / 2, advances[0]);
}

TEST(FontMeasure, FramesBeyondAShortImageAreNotRead) {
    TestFont font(8, 4, 4);
    std::vector<const uint8_t*> rows = font.Rows();
    rows.resize(4 * 10);  // an image too short for 96 frames of 4 rows
    int32_t advances[kGlyphCount];
    MeasureGlyphAdvances(rows, 8, 4, 4, 1, advances);
    for (int g = 1; g < kGlyphCount; ++g) EXPECT_EQ(1, advances[g]);
    EXPECT_EQ(4, advances[0]);
}

TEST(FontGlyphs, CharacterBytesMapToFrames) {
    EXPECT_EQ(0, GlyphIndex(' '));
    EXPECT_EQ(33, GlyphIndex('A'));
    EXPECT_EQ(95, GlyphIndex(127));
    EXPECT_EQ(95, GlyphIndex(0xA3));
    EXPECT_EQ(-1, GlyphIndex(31));
    EXPECT_EQ(-1, GlyphIndex(0));
    EXPECT_EQ(-1, GlyphIndex(128));
    EXPECT_EQ(-1, GlyphIndex(0xA2));
}

// Every glyph 10 wide except the space, 4.
struct Layout : testing::Test {
    int32_t advances[kGlyphCount];
    TextLayout layout;
    std::string text;
    void SetUp() override {
        for (auto& a : advances) a = 10;
        advances[0] = 4;
    }
    void Lay(const std::string& t, int boxWidth) {
        text = t;
        LayOutText(text.c_str(), static_cast<int>(text.size()), boxWidth, advances, layout);
    }
    std::vector<GlyphPlacement> Place(int boxWidth, int boxHeight, bool lines, bool block) {
        return PlaceGlyphs(text.c_str(), layout, boxWidth, boxHeight, 20, lines, block, advances);
    }
};

TEST_F(Layout, WordsThatDoNotFitMoveToANewLineWithoutTheirSpace) {
    Lay("aa bbb c", 50);
    ASSERT_EQ(1, layout.lineBreaks);
    EXPECT_EQ(20, layout.lineWidth[0]);
    EXPECT_EQ(2, layout.lineEnd[0]);
    EXPECT_EQ(30 + 4 + 10, layout.lineWidth[1]) << "bbb and \" c\"";
    EXPECT_EQ(8, layout.lineEnd[1]);
    EXPECT_EQ(8, layout.length);

    auto glyphs = Place(50, 100, true, false);
    ASSERT_EQ(8u, glyphs.size());
    const int top = (100 - 2 * 20) / 2;
    // Line 0 is centred by its own width; its ending space is drawn after it.
    EXPECT_EQ(15, glyphs[0].x);
    EXPECT_EQ(top, glyphs[0].y);
    EXPECT_EQ(0, glyphs[2].glyph);
    EXPECT_EQ(15 + 20, glyphs[2].x);
    EXPECT_EQ(top, glyphs[2].y);
    // Line 1 starts with the byte after that space.
    EXPECT_EQ('b' - 32, glyphs[3].glyph);
    EXPECT_EQ((50 - 44) / 2, glyphs[3].x);
    EXPECT_EQ(top + 20, glyphs[3].y);
    EXPECT_EQ((50 - 44) / 2 + 30 + 4, glyphs[7].x);
}

TEST_F(Layout, OneLineIsCentredBothWays) {
    Lay("ab c", 100);
    ASSERT_EQ(0, layout.lineBreaks);
    EXPECT_EQ(34, layout.lineWidth[0]);
    auto glyphs = Place(100, 50, true, false);
    ASSERT_EQ(4u, glyphs.size());
    EXPECT_EQ((100 - 34) / 2, glyphs[0].x);
    EXPECT_EQ((50 - 20) / 2, glyphs[0].y);
    EXPECT_EQ((100 - 34) / 2 + 24, glyphs[3].x);
}

TEST_F(Layout, BlockCentringAloneKeepsLinesAtTheLeftEdge) {
    Lay("aa bbb", 40);
    auto block = Place(40, 101, false, true);
    EXPECT_EQ(0, block[0].x);
    EXPECT_EQ((101 - 40) / 2, block[0].y);
    EXPECT_EQ(0, block[3].x);
    EXPECT_EQ((101 - 40) / 2 + 20, block[3].y);
    auto plain = Place(40, 101, false, false);
    EXPECT_EQ(0, plain[0].x);
    EXPECT_EQ(0, plain[0].y);
    EXPECT_EQ(20, plain[3].y);
}

TEST_F(Layout, AWordWiderThanTheBoxStaysWholeAndOverhangsEqually) {
    Lay("abcdefgh", 50);
    ASSERT_EQ(0, layout.lineBreaks);
    EXPECT_EQ(80, layout.lineWidth[0]);
    auto glyphs = Place(50, 10, true, false);
    EXPECT_EQ(-15, glyphs[0].x);
    EXPECT_EQ(-15 + 70, glyphs[7].x);
    EXPECT_EQ((10 - 20) / 2, glyphs[0].y) << "a block taller than the box starts above it";
    // After a short first word the long word moves down, still unbroken.
    Lay("a abcdefgh", 50);
    ASSERT_EQ(1, layout.lineBreaks);
    EXPECT_EQ(80, layout.lineWidth[1]);
}

TEST_F(Layout, PoundSignAndByte127DrawTheSameGlyphAndOtherBytesDrawNothing) {
    Lay("\xA3"
        "1.50\x7F",
        200);
    auto glyphs = Place(200, 20, false, false);
    ASSERT_EQ(6u, glyphs.size());
    EXPECT_EQ(95, glyphs[0].glyph);
    EXPECT_EQ(95, glyphs[5].glyph);
    Lay("a\x01\x80"
        "b",
        200);
    EXPECT_EQ(20, layout.lineWidth[0]);
    glyphs = Place(200, 20, false, false);
    ASSERT_EQ(2u, glyphs.size());
    EXPECT_EQ(10, glyphs[1].x) << "bytes without a glyph take no room";
}

TEST_F(Layout, LayoutStopsAtTheLineLimit) {
    std::string many;
    for (int i = 0; i < 150; ++i) many += "abc ";
    Lay(many, 35);
    EXPECT_EQ(kMaxTextLines - 1, layout.lineBreaks);
    EXPECT_EQ(kMaxTextLines * 4 - 1, layout.length) << "the 100th line ends after its word";
    auto glyphs = Place(35, 100, true, true);
    EXPECT_EQ(static_cast<size_t>(layout.length), glyphs.size());
    EXPECT_EQ((kMaxTextLines - 1) * 20 + (100 - kMaxTextLines * 20) / 2, glyphs.back().y);
    Lay("", 35);
    EXPECT_EQ(0, layout.length);
    EXPECT_TRUE(Place(35, 100, true, false).empty());
}
}  // namespace
