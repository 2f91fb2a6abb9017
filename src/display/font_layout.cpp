#include "display/font_layout.h"

#include <algorithm>
#include <cstddef>

namespace {
int32_t AdvanceOf(uint8_t c, const int32_t advances[kGlyphCount]) {
    int g = GlyphIndex(c);
    return g < 0 ? 0 : advances[g];
}

bool IsKey(const uint8_t* p, int bytes) {
    if (bytes == 2) return (p[0] | (p[1] << 8)) == 0xF81F;
    return p[0] == 255 && p[1] == 0 && p[2] == 255;
}
}  // namespace

FontSlot FontSlotOf(int fontCode) {
    switch (fontCode) {
        case 12:
            return {1, 2};
        case 7:
            return {2, 2};
        case 8:
            return {3, 1};
        case 9:
            return {4, 1};
        case 10:
            return {7, 1};
        case 11:
            return {8, 1};
        default:
            return {0, 1};
    }
}

int FontImageOf(int fontCode) {
    return IsFontResourceImage(fontCode) ? fontCode : Font1Image;
}

int GlyphIndex(uint8_t c) {
    if (c >= 32 && c <= 127) return c - 32;
    if (c == 0xA3) return 95;
    return -1;
}

void MeasureGlyphAdvances(const std::vector<const uint8_t*>& rows, int width, int bytesPerPixel,
                          int frameHeight, int advanceAdds, int32_t advances[kGlyphCount]) {
    // Frames must lie inside the image; rows beyond it are never read.
    int frameRows = std::max(0, std::min(frameHeight, static_cast<int>(rows.size()) / kGlyphCount));
    if (bytesPerPixel < 2 || bytesPerPixel > 4) frameRows = 0;
    int64_t tests = 0;
    for (int g = 0; g < kGlyphCount; ++g) {
        int rightmost = 0;
        for (int k = 0; k < frameRows && tests < kColumnTestLimit; ++k) {
            const uint8_t* row = rows[static_cast<size_t>(g) * frameHeight + k];
            for (int l = width - 1; row && l >= 1 && tests < kColumnTestLimit; --l) {
                ++tests;
                if (!IsKey(row + static_cast<std::ptrdiff_t>(l) * bytesPerPixel, bytesPerPixel)) {
                    rightmost = std::max(rightmost, l);
                    break;
                }
            }
        }
        advances[g] = rightmost + advanceAdds;
    }
    advances[0] = width / 2;
}

void LayOutText(const char* text, int length, int boxWidth, const int32_t advances[kGlyphCount],
                TextLayout& layout) {
    layout = TextLayout();
    if (!text || length <= 0) return;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    int line = 0, p = 0;
    while (p < length) {
        int32_t w = 0;
        int k = 0;
        do {
            w += AdvanceOf(bytes[p + k], advances);
            ++k;
        } while (p + k < length && bytes[p + k] != ' ');
        if (layout.lineWidth[line] + w > boxWidth && layout.lineWidth[line] > 0) {
            if (line + 1 >= kMaxTextLines) break;
            for (int q = p; q < p + k && bytes[q] == ' '; ++q) w -= advances[0];
            ++line;
        }
        p += k;
        layout.lineEnd[line] = p;
        layout.lineWidth[line] += w;
    }
    layout.length = p;
    layout.lineBreaks = line;
}

std::vector<GlyphPlacement> PlaceGlyphs(const char* text, const TextLayout& layout, int boxWidth,
                                        int boxHeight, int lineHeight, bool centreLines,
                                        bool centreBlock, const int32_t advances[kGlyphCount]) {
    std::vector<GlyphPlacement> out;
    if (!text) return out;
    int top =
        (centreLines || centreBlock) ? (boxHeight - (layout.lineBreaks + 1) * lineHeight) / 2 : 0;
    int penX = 0, penY = 0, line = 0;
    for (int i = 0; i < layout.length; ++i) {
        int left = centreLines ? (boxWidth - layout.lineWidth[line]) / 2 : 0;
        int g = GlyphIndex(static_cast<uint8_t>(text[i]));
        if (g >= 0) out.push_back({g, penX + left, penY + top});
        if (i >= layout.lineEnd[line] && line < layout.lineBreaks) {
            penY += lineHeight;
            penX = 0;
            ++line;
        } else {
            penX += g < 0 ? 0 : advances[g];
        }
    }
    return out;
}
