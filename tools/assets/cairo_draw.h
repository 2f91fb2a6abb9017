// Drawing helpers over cairo: the DejaVu faces, text placement and wrapping, panels and shapes,
// and the cabinet's colours.
#pragma once
#include <cairo.h>

#include <string>
#include <vector>

#include "image.h"

enum class Face { Sans, SansBold, Mono, MonoBold, Serif, SerifBold };

// Loads the DejaVu faces; false (with a message) when a font file is missing.
bool LoadFaces();
void ReleaseFaces();

enum class Align { Left, Centre, Right };

void SetColour(cairo_t* cr, Rgb c, double alpha = 1.0);
void SetFont(cairo_t* cr, Face face, double size);
// Width of a text in the current font (its advance).
double TextWidth(cairo_t* cr, const std::string& text);
// Draws one line with its baseline at y; x is the left edge, centre or right edge by `align`.
void DrawText(cairo_t* cr, const std::string& text, double x, double y, Align align);
// Draws a line with an outline of `outline` pixels in `edge` below the fill colour `fill`.
void DrawOutlinedText(cairo_t* cr, const std::string& text, double x, double y, Align align,
                      Rgb fill, Rgb edge, double outline);
// Breaks text into lines no wider than `width` (explicit '\n' also breaks).
std::vector<std::string> WrapText(cairo_t* cr, const std::string& text, double width);
// Draws wrapped text in a box, lines `lineHeight` apart, the block centred vertically in the box
// when `centreBlock`; returns the number of lines.
int DrawParagraph(cairo_t* cr, const std::string& text, double x, double y, double w, double h,
                  double lineHeight, Align align, bool centreBlock);
// Largest font size (down to `minSize`) at which `text` fits `width` on one line.
double FitSize(cairo_t* cr, Face face, const std::string& text, double width, double size,
               double minSize);

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
void FillVertical(cairo_t* cr, double x, double y, double w, double h, Rgb top, Rgb bottom);
// A raised panel with a bevel: fill gradient, dark rim, light inner edge.
void Panel(cairo_t* cr, double x, double y, double w, double h, double r, Rgb top, Rgb bottom,
           Rgb rim, double rimWidth);
// Wood grain over a rectangle (deterministic streaks).
void WoodGrain(cairo_t* cr, double x, double y, double w, double h, Rgb base, unsigned seed);
// Five-pointed star.
void Star(cairo_t* cr, double cx, double cy, double outer, double inner);
// Draws a picture onto the canvas at (x, y) with an opacity.
void DrawImage(cairo_t* cr, const Image& img, double x, double y, double opacity = 1.0);

// The cabinet's colours: a pub at quiz night (dark wood, brass, bottle green, chalkboard).
namespace Colour {
constexpr Rgb WoodDark = Hex(0x2e1a0e);
constexpr Rgb Wood = Hex(0x5a361c);
constexpr Rgb WoodLight = Hex(0x8a5a30);
constexpr Rgb Brass = Hex(0xd6a63c);
constexpr Rgb BrassLight = Hex(0xf6dc8a);
constexpr Rgb BrassDark = Hex(0x7a5818);
constexpr Rgb Green = Hex(0x1d5a3e);
constexpr Rgb GreenDark = Hex(0x0f3322);
constexpr Rgb GreenLight = Hex(0x3f9a62);
constexpr Rgb Burgundy = Hex(0x7c1e2c);
constexpr Rgb Cream = Hex(0xf6ecd0);
constexpr Rgb Chalkboard = Hex(0x1f2d27);
constexpr Rgb Chalk = Hex(0xf4f1e4);
constexpr Rgb Ink = Hex(0x24170c);
constexpr Rgb Right = Hex(0x38b255);
constexpr Rgb Wrong = Hex(0xd23a32);
constexpr Rgb Amber = Hex(0xffb938);
constexpr Rgb Display = Hex(0x120c08);
constexpr Rgb White = Hex(0xffffff);
constexpr Rgb Black = Hex(0x000000);
}  // namespace Colour
