// The bitmap fonts: 96 glyph frames, space to '~' and then the pound sign, on magenta. The game
// measures each glyph's advance from its rightmost non-magenta column, so every glyph starts at
// column 1 and its width is all ink; the space's frame is empty (its advance is half the frame).
#include <cmath>

#include "assets.h"
#include "cairo_draw.h"

namespace {
struct FontStyle {
    int32_t image;  // the resource image id
    PictureFormat format;
    Face face;
    double size;
    int frameWidth;
    int frameHeight;
    int baseline;
    Rgb fill;
    Rgb fillBottom;  // vertical gradient to this colour
    Rgb outline;
    double outlineWidth;  // 0: none
    Rgb under;            // the colour the font is drawn on: partial pixels blend toward it
    int threshold;        // coverage below which a pixel is left magenta
};

// The UTF-8 text of glyph g.
std::string GlyphText(int g) {
    if (g == 95) return "\xC2\xA3";
    return std::string(1, char(32 + g));
}

Image Glyph(const FontStyle& s, int g) {
    Canvas c(s.frameWidth, s.frameHeight);
    if (g == 0) return c.Finish();  // the space
    cairo_t* cr = c.cr();
    SetFont(cr, s.face, s.size);
    std::string text = GlyphText(g);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    double pad = s.outlineWidth;
    double room = s.frameWidth - 3 - 2 * pad;
    double scale = e.width > room ? room / e.width : 1.0;
    cairo_save(cr);
    // Whole-pixel placement keeps stems sharp.
    cairo_translate(cr, std::ceil(1 + pad - e.x_bearing * scale - 0.1), s.baseline);
    cairo_scale(cr, scale, 1);
    cairo_move_to(cr, 0, 0);
    cairo_text_path(cr, text.c_str());
    cairo_restore(cr);
    if (s.outlineWidth > 0) {
        SetColour(cr, s.outline);
        cairo_set_line_width(cr, s.outlineWidth * 2);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    cairo_pattern_t* p = cairo_pattern_create_linear(0, s.baseline - s.size * 0.75, 0, s.baseline);
    cairo_pattern_add_color_stop_rgb(p, 0, s.fill.r / 255.0, s.fill.g / 255.0, s.fill.b / 255.0);
    cairo_pattern_add_color_stop_rgb(p, 1, s.fillBottom.r / 255.0, s.fillBottom.g / 255.0,
                                     s.fillBottom.b / 255.0);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    return KeyOnMagenta(c.Finish(), s.under, s.threshold);
}

Image FontStrip(const FontStyle& s) {
    std::vector<Image> frames;
    for (int g = 0; g < 96; ++g) {
        Image f = Glyph(s, g);
        if (g == 0) f = KeyOnMagenta(f, s.under, 256);
        frames.push_back(f);
    }
    return Stack(frames);
}

const FontStyle kFonts[] = {
    // Font 6: a general white title font with a dark outline, hard edged.
    {Font1Image, PictureFormat::Bmp, Face::SansBold, 22, 20, 30, 23, Colour::White, Hex(0xd8d8d8),
     Colour::Black, 1.5, Colour::Black, 110},
    // Font 7: the question text, chalk white on the question panel's chalkboard.
    {Font2Image, PictureFormat::Bmp, Face::SansBold, 16, 14, 26, 19, Colour::Chalk, Colour::Chalk,
     Colour::Black, 0, Colour::Chalkboard, 40},
    // Fonts 8 and 12: the credit and bank amounts, amber on the panels' dark displays.
    {BankFontImage, PictureFormat::Bmp, Face::SansBold, 34, 26, 44, 35, Hex(0xffd27a),
     Colour::Amber, Colour::Black, 0, Colour::Display, 40},
    // Font 9: a blue fixed-pitch answer font.
    {AnswerFontImage, PictureFormat::Pcx, Face::MonoBold, 18, 14, 26, 19, Hex(0x4f8fff),
     Hex(0x1f4fc0), Colour::Black, 0, Colour::Cream, 40},
    // Font 10: brass figures for points boxes.
    {PointsBoxFontImage, PictureFormat::Bmp, Face::SansBold, 26, 22, 34, 27, Colour::BrassLight,
     Colour::Brass, Colour::WoodDark, 1.5, Colour::WoodDark, 110},
    // Font 11: green figures for the win plan.
    {WinPlanFontImage, PictureFormat::Bmp, Face::SansBold, 18, 16, 26, 19, Hex(0x7be39a),
     Colour::GreenLight, Colour::GreenDark, 1, Colour::GreenDark, 110},
};
}  // namespace

void MakeFontPictures(std::vector<Picture>& out) {
    for (const FontStyle& s : kFonts)
        out.push_back({FileOf(s.image), s.format, FramesOf(s.image), FontStrip(s)});
}
