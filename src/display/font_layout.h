// Bitmap fonts: glyph measurement and the layout of a text into lines, without drawing.
#pragma once
#include <cstdint>
#include <vector>

#include "display/asset_manifest.h"

constexpr int kGlyphCount = FontGlyphFrames;
constexpr int kFontSlots = 9;
constexpr int kMaxTextLines = 100;
constexpr int kColumnTestLimit = 1048576;

// The slot that holds a font code's advances, and what its advances add to the glyph width.
struct FontSlot {
    int slot;
    int advanceAdds;
};
// Codes 6 to 12; any other code is treated as code 6. advanceAdds is 1, or 2 in slots 1 and 2.
FontSlot FontSlotOf(int fontCode);
// The font code actually drawn for a requested code (unknown codes become 6).
int FontImageOf(int fontCode);

// Glyph of a character byte: 32..127 give 0..95, 0xA3 (the pound sign) gives 95, others -1.
int GlyphIndex(uint8_t c);

// Measures the 96 glyph advances of a font image given as its pixel rows (display format,
// `bytesPerPixel` 2, 3 or 4), `width` pixels wide, in frames of `frameHeight` rows; key-coloured
// pixels (magenta in the display's format) are background. Each glyph's advance is its rightmost
// non-key column (column 0 is never tested) + `advanceAdds`; the space gets half the frame width.
// At most kColumnTestLimit columns are tested; glyphs past the limit keep what was found so far.
void MeasureGlyphAdvances(const std::vector<const uint8_t*>& rows, int width, int bytesPerPixel,
                          int frameHeight, int advanceAdds, int32_t advances[kGlyphCount]);

// A text broken into lines for a box.
struct TextLayout {
    int length = 0;      // bytes of the text that were laid out (all, unless the line limit hit)
    int lineBreaks = 0;  // number of lines - 1
    int32_t lineWidth[kMaxTextLines] = {};
    int32_t lineEnd[kMaxTextLines] = {};  // the byte after each line's last word
};

// Breaks the text into lines at spaces so that each line fits `boxWidth` where it can: a word
// that does not fit goes to a new line without its leading space; a word wider than the box on
// an empty line stays there. Stops at kMaxTextLines lines; the rest of the text is dropped.
void LayOutText(const char* text, int length, int boxWidth, const int32_t advances[kGlyphCount],
                TextLayout& layout);

// One glyph to draw, at a position relative to the box's top-left corner.
struct GlyphPlacement {
    int glyph;
    int x;
    int y;
};

// Where each glyph of a laid-out text goes: lines `lineHeight` apart; `centreLines` centres
// each line horizontally and the block vertically, `centreBlock` only the block vertically.
// Bytes without a glyph take no room and draw nothing; the space that ends a line is drawn at
// the end of that line.
std::vector<GlyphPlacement> PlaceGlyphs(const char* text, const TextLayout& layout, int boxWidth,
                                        int boxHeight, int lineHeight, bool centreLines,
                                        bool centreBlock, const int32_t advances[kGlyphCount]);
