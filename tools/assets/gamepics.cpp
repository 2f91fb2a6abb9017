// The game's smaller pictures: the pint-glass answer clock, prize tags, knock-out numbers and
// the labels the game keeps for other screens.
#include <cmath>
#include <cstdio>

#include "assets.h"
#include "cairo_draw.h"

namespace {
std::string Pounds(int pence) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "\xC2\xA3%d.%02d", pence / 100, pence % 100);
    return buf;
}

// The glass outline: a straight pint glass, wider at the top, with a bulge near the rim.
void GlassPath(cairo_t* cr, double x, double y, double w, double h) {
    double inset = w * 0.14;
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + w, y);
    cairo_curve_to(cr, x + w + 2, y + h * 0.18, x + w - inset * 0.4, y + h * 0.25,
                   x + w - inset * 0.6, y + h * 0.35);
    cairo_line_to(cr, x + w - inset, y + h);
    cairo_line_to(cr, x + inset, y + h);
    cairo_line_to(cr, x + inset * 0.6, y + h * 0.35);
    cairo_curve_to(cr, x + inset * 0.4, y + h * 0.25, x - 2, y + h * 0.18, x, y);
    cairo_close_path(cr);
}

// Answer clock frame: frame 0 a full pint (all the time left), frame 14 an empty glass.
Image TimerFrame(int f) {
    const int w = 82, h = 144;
    Canvas c(w, h);
    cairo_t* cr = c.cr();
    double gx = 9, gy = 6, gw = 64, gh = 132;
    double fill = (14 - f) / 14.0;
    // Beer up to the level, with a foam head.
    cairo_save(cr);
    GlassPath(cr, gx + 2, gy + 2, gw - 4, gh - 4);
    cairo_clip(cr);
    double bottom = gy + gh - 3;
    double level = bottom - (gh - 14) * fill;
    if (fill > 0) {
        cairo_pattern_t* p = cairo_pattern_create_linear(gx, 0, gx + gw, 0);
        cairo_pattern_add_color_stop_rgba(p, 0, 0.72, 0.42, 0.06, 0.95);
        cairo_pattern_add_color_stop_rgba(p, 0.45, 0.98, 0.70, 0.18, 0.95);
        cairo_pattern_add_color_stop_rgba(p, 1, 0.66, 0.36, 0.04, 0.95);
        cairo_set_source(cr, p);
        cairo_rectangle(cr, gx, level, gw, bottom - level + 3);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        // Rising bubbles.
        for (int i = 0; i < 14; ++i) {
            double bx = gx + 12 + (i * 37 % 40);
            double by = level + 6 + ((i * 53 + f * 7) % 100) / 100.0 * (bottom - level - 6);
            if (by > bottom - 2) continue;
            cairo_arc(cr, bx, by, 1.1 + (i % 3) * 0.4, 0, 2 * M_PI);
            cairo_set_source_rgba(cr, 1, 0.95, 0.8, 0.55);
            cairo_fill(cr);
        }
        double head = std::min(10.0, (bottom - level) * 0.5 + 2);
        cairo_rectangle(cr, gx, level - head * 0.5, gw, head);
        cairo_set_source_rgba(cr, 1, 0.97, 0.9, 0.97);
        cairo_fill(cr);
        for (int i = 0; i < 6; ++i) {
            cairo_arc(cr, gx + 6 + i * 11, level - head * 0.5, 4 + (i % 2), M_PI, 2 * M_PI);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
    // Glass: a faint body, bright edges and a highlight.
    GlassPath(cr, gx, gy, gw, gh);
    cairo_set_source_rgba(cr, 0.85, 0.92, 1, 0.16);
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, 0.92, 0.96, 1, 0.85);
    cairo_set_line_width(cr, 2.2);
    cairo_stroke(cr);
    cairo_move_to(cr, gx + 10, gy + 12);
    cairo_line_to(cr, gx + 13, gy + gh - 20);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.45);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    // Thick glass base.
    cairo_rectangle(cr, gx + gw * 0.14 + 1, gy + gh - 5, gw * 0.72 - 2, 5);
    cairo_set_source_rgba(cr, 0.9, 0.95, 1, 0.5);
    cairo_fill(cr);
    return c.Finish();
}

// A brass tag with an amount, on transparent ground.
Image Tag(const std::string& text, int w, int h, Rgb top, Rgb bottom, Rgb ink, Rgb rim) {
    Canvas c(w, h);
    cairo_t* cr = c.cr();
    Panel(cr, 1, 1, w - 2, h - 2, h * 0.3, top, bottom, rim, 2);
    double size = FitSize(cr, Face::SansBold, text, w - 16, h * 0.62, 8);
    SetFont(cr, Face::SansBold, size);
    SetColour(cr, Colour::Black, 0.3);
    DrawText(cr, text, w / 2.0 + 1, h / 2.0 + size * 0.36 + 1, Align::Centre);
    SetColour(cr, ink);
    DrawText(cr, text, w / 2.0, h / 2.0 + size * 0.36, Align::Centre);
    return c.Finish();
}

// Knock-out numbers 1 to 50 on a display plate that fills the panel's number slot.
Image NumberFrame(int n) {
    Canvas c(72, 62);
    cairo_t* cr = c.cr();
    RoundedRect(cr, 0, 0, 72, 62, 7);
    SetColour(cr, Colour::Brass);
    cairo_fill(cr);
    RoundedRect(cr, 3, 3, 66, 56, 5);
    SetColour(cr, Colour::Display);
    cairo_fill(cr);
    std::string t = std::to_string(n);
    SetFont(cr, Face::SansBold, 40);
    SetColour(cr, Colour::Amber, 0.25);
    DrawText(cr, t, 37, 46, Align::Centre);
    SetColour(cr, Hex(0xffd27a));
    DrawText(cr, t, 36, 45, Align::Centre);
    return KeyOnMagenta(c.Finish(), Colour::BrassDark);
}
}  // namespace

void MakeGamePictures(std::vector<Picture>& out) {
    {
        std::vector<Image> f;
        for (int i = 0; i < 15; ++i) f.push_back(TimerFrame(i));
        out.push_back({FileOf(TimerSprite), PictureFormat::Tga, FramesOf(TimerSprite), Stack(f)});
    }
    const int prizes[8] = {50, 100, 150, 200, 300, 400, 500, 600};
    {
        std::vector<Image> f, keyed;
        for (int p : prizes) {
            f.push_back(Tag(Pounds(p), 141, 40, Colour::BrassLight, Colour::Brass, Colour::Ink,
                            Colour::BrassDark));
            keyed.push_back(KeyOnMagenta(f.back(), Colour::Green));
        }
        out.push_back(
            {FileOf(SmallPrizesSprite), PictureFormat::Tga, FramesOf(SmallPrizesSprite), Stack(f)});
        out.push_back({FileOf(PrizeValuesImage), PictureFormat::Bmp, FramesOf(PrizeValuesImage),
                       Stack(keyed)});
    }
    {
        // Every prize a game can pay, from nothing up to twenty pounds.
        const int values[16] = {0,   50,  100, 150, 200,  300,  400,  500,
                                600, 700, 800, 900, 1000, 1200, 1600, 2000};
        std::vector<Image> green, grey;
        for (int v : values) {
            green.push_back(Tag(Pounds(v), 141, 40, Hex(0x4fc46e), Hex(0x1f7a3a), Colour::White,
                                Colour::GreenDark));
            grey.push_back(Tag(Pounds(v), 141, 40, Hex(0x9a948c), Hex(0x5a5650), Hex(0xe8e4dc),
                               Hex(0x3a3632)));
        }
        out.push_back({FileOf(ValuesGreenSprite), PictureFormat::Tga, FramesOf(ValuesGreenSprite),
                       Stack(green)});
        out.push_back({FileOf(ValuesGreySprite), PictureFormat::Tga, FramesOf(ValuesGreySprite),
                       Stack(grey)});
    }
    {
        std::vector<Image> f;
        for (int n = 1; n <= 50; ++n) f.push_back(NumberFrame(n));
        out.push_back({FileOf(EliminationNumbersSprite), PictureFormat::Bmp,
                       FramesOf(EliminationNumbersSprite), Stack(f)});
    }
    {
        std::vector<Image> f;
        for (int r = 1; r <= 7; ++r)
            f.push_back(KeyOnMagenta(Tag("ROUND " + std::to_string(r), 140, 40, Hex(0x4fc46e),
                                         Hex(0x1f7a3a), Colour::White, Colour::GreenDark),
                                     Colour::WoodDark));
        out.push_back(
            {FileOf(RoundsGreenSprite), PictureFormat::Bmp, FramesOf(RoundsGreenSprite), Stack(f)});
    }
    out.push_back(
        {FileOf(BankSprite), PictureFormat::Tga, FramesOf(BankSprite),
         Tag("BANK", 120, 34, Colour::BrassLight, Colour::Brass, Colour::Ink, Colour::BrassDark)});
    out.push_back({FileOf(CreditSprite), PictureFormat::Tga, FramesOf(CreditSprite),
                   Tag("CREDIT", 120, 34, Colour::BrassLight, Colour::Brass, Colour::Ink,
                       Colour::BrassDark)});
    out.push_back({FileOf(QuestionsRemainingSprite), PictureFormat::TgaRaw,
                   FramesOf(QuestionsRemainingSprite),
                   Tag("QUESTIONS LEFT", 170, 36, Hex(0x3a5a4a), Colour::Chalkboard, Colour::Chalk,
                       Colour::BrassDark)});
    {
        // A soft glow the size of a grid cell.
        Canvas c(80, 59);
        cairo_t* cr = c.cr();
        for (int i = 0; i < 6; ++i) {
            RoundedRect(cr, i, i, 80 - 2 * i, 59 - 2 * i, 9 - i * 0.5);
            cairo_set_source_rgba(cr, 1, 0.85, 0.35, 0.16);
            cairo_set_line_width(cr, 1.2);
            cairo_stroke(cr);
        }
        out.push_back(
            {FileOf(HiliteSprite), PictureFormat::TgaRaw, FramesOf(HiliteSprite), c.Finish()});
    }
}
