// Bitmap-font text: measuring the fonts and drawing texts.
#include "display/fonts.h"

#include <cstring>

bool CentreLines = false;
bool CentreBlock = false;

namespace {
ResourceImage gFontImages[AmountFontImage - Font1Image + 1];
// Advances per slot; a slot is measured once for the life of the program.
int32_t gGlyphAdvances[kFontSlots][kGlyphCount];
bool gMeasured[kFontSlots];
TextLayout gLayout;
}  // namespace

ResourceImage& FontImage(int32_t fontCode) {
    return gFontImages[FontImageOf(fontCode) - Font1Image];
}

const int32_t* FontAdvances(int32_t fontCode) {
    FontSlot slot = FontSlotOf(fontCode);
    if (gMeasured[slot.slot]) return gGlyphAdvances[slot.slot];
    int32_t code = FontImageOf(fontCode);
    ResourceImage& image = FontImage(code);
    ResourceRows rows;
    if (!ReadResourceRows(code, rows)) {
        LoadResourceImage(image, code, kGlyphCount);
        if (!ReadResourceRows(code, rows)) return nullptr;
    }
    if (image.row < 0) LoadResourceImage(image, code, kGlyphCount);
    if (image.row < 0) return nullptr;
    MeasureGlyphAdvances(rows.rows, rows.width, DisplayDepth() / 8, image.frameHeight,
                         slot.advanceAdds, gGlyphAdvances[slot.slot]);
    gMeasured[slot.slot] = true;
    return gGlyphAdvances[slot.slot];
}

void DrawFontText(const char* text, int32_t x, int32_t y, int32_t boxWidth, int32_t boxHeight,
                  int32_t fontCode) {
    const int32_t* advances = text ? FontAdvances(fontCode) : nullptr;
    if (advances) {
        ResourceImage& image = FontImage(fontCode);
        int length = static_cast<int>(std::strlen(text));
        LayOutText(text, length, boxWidth, advances, gLayout);
        for (const GlyphPlacement& g :
             PlaceGlyphs(text, gLayout, boxWidth, boxHeight, image.frameHeight, CentreLines,
                         CentreBlock, advances))
            DrawResourceFrame(image, g.glyph, x + g.x, y + g.y, nullptr, true);
    }
    CentreLines = false;
}
