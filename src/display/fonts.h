// Bitmap-font text: fonts are resource images of 96 glyph frames (space to the pound sign) on
// magenta; a text is broken into lines for a box and drawn glyph by glyph onto the back buffer.
//
// Typical use (the caller draws the box's background first and presents afterwards):
//   CentreLines = true;
//   DrawFontText("\xA3" "1.50", 594, 51, 169, 52, 12);
#pragma once
#include <cstdint>

#include "display/font_layout.h"
#include "display/resource_images.h"

// Set before a DrawFontText to centre each line horizontally and the block vertically; every
// DrawFontText clears it.
extern bool CentreLines;
// Set before a DrawFontText to centre the block vertically; stays set once set.
extern bool CentreBlock;

// The image record of a font code (6 to 12; any other code is code 6). The game's asset set-up
// loads it with LoadResourceImage(FontImage(code), code, 96); a font not loaded by then is loaded
// on its first use.
ResourceImage& FontImage(int32_t fontCode);

// Lays the text out in the box at (x, y) of boxWidth x boxHeight and draws it on the back buffer
// in the font of fontCode, centred as CentreLines and CentreBlock say; then clears CentreLines.
// Measures the font's glyphs on its first use.
void DrawFontText(const char* text, int32_t x, int32_t y, int32_t boxWidth, int32_t boxHeight,
                  int32_t fontCode);

// The glyph advances of a font code's slot, measured on first use (null when the font image
// cannot be read).
const int32_t* FontAdvances(int32_t fontCode);
