// Buttons: the menu's, the answer buttons, the pass and joker buttons with their counts, and
// the two spare choice buttons. All frames of a button share one outline, since the game draws
// a button's frames over each other without clearing.
#include <cmath>
#include <functional>

#include "assets.h"
#include "cairo_draw.h"

namespace {
using Icon = std::function<void(cairo_t*, double cx, double cy, double size, Rgb ink)>;

struct ButtonLook {
    Rgb top, bottom, rim, ink;
};

// A rounded plaque with an icon and a label; `pressed` sinks it and darkens it.
Image Plaque(int w, int h, double r, const ButtonLook& look, const Icon& icon, double iconSize,
             const char* label, const char* sub, bool pressed, Rgb under) {
    Canvas c(w, h);
    cairo_t* cr = c.cr();
    RoundedRect(cr, 0, 0, w, h, r);
    SetColour(cr, Colour::BrassDark);
    cairo_fill(cr);
    RoundedRect(cr, 2, 2, w - 4, h - 4, r - 2);
    SetColour(cr, look.rim);
    cairo_fill(cr);
    double d = pressed ? 2 : 0;
    Rgb top = look.top, bottom = look.bottom;
    if (pressed) {
        top = Rgb{uint8_t(top.r * 0.75), uint8_t(top.g * 0.75), uint8_t(top.b * 0.75)};
        bottom = Rgb{uint8_t(bottom.r * 0.75), uint8_t(bottom.g * 0.75), uint8_t(bottom.b * 0.75)};
    }
    Panel(cr, 7, 7 + d, w - 14, h - 14 - d, r - 6, top, bottom, Colour::BrassDark, 1);
    // Gloss on the upper half.
    RoundedRect(cr, 11, 10 + d, w - 22, (h - 14) * 0.42, r - 9);
    cairo_set_source_rgba(cr, 1, 1, 1, pressed ? 0.06 : 0.14);
    cairo_fill(cr);
    double labelSize = std::min(30.0, h * 0.2);
    double iconCy = label ? (h - labelSize * 1.3) * 0.48 + d : h / 2.0 + d;
    if (sub) iconCy -= labelSize * 0.35;
    if (icon) icon(cr, w / 2.0, iconCy, iconSize, look.ink);
    if (label) {
        FitSize(cr, Face::SansBold, label, w - 26, labelSize, 9);
        double by = sub ? h - 30 + d : h - 17 + d;
        if (!icon) by = h / 2.0 + labelSize * 0.35 + d - (sub ? labelSize * 0.4 : 0);
        SetColour(cr, Colour::Black, 0.35);
        DrawText(cr, label, w / 2.0 + 1, by + 1, Align::Centre);
        SetColour(cr, look.ink);
        DrawText(cr, label, w / 2.0, by, Align::Centre);
    }
    if (sub) {
        FitSize(cr, Face::SansBold, sub, w - 26, std::min(17.0, h * 0.13), 8);
        SetColour(cr, look.ink, 0.9);
        DrawText(cr, sub, w / 2.0, h - 13 + d, Align::Centre);
    }
    return KeyOnMagenta(c.Finish(), under);
}

void DoorIcon(cairo_t* cr, double cx, double cy, double s, Rgb ink) {
    SetColour(cr, ink);
    cairo_set_line_width(cr, s * 0.09);
    cairo_rectangle(cr, cx - s * 0.45, cy - s * 0.5, s * 0.5, s);
    cairo_stroke(cr);
    cairo_move_to(cr, cx - s * 0.1, cy);
    cairo_line_to(cr, cx + s * 0.5, cy);
    cairo_stroke(cr);
    cairo_move_to(cr, cx + s * 0.55, cy);
    cairo_line_to(cr, cx + s * 0.3, cy - s * 0.22);
    cairo_line_to(cr, cx + s * 0.3, cy + s * 0.22);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void QuestionIcon(cairo_t* cr, double cx, double cy, double s, Rgb ink) {
    SetColour(cr, ink);
    cairo_set_line_width(cr, s * 0.09);
    cairo_arc(cr, cx, cy, s * 0.5, 0, 2 * M_PI);
    cairo_stroke(cr);
    SetFont(cr, Face::SerifBold, s * 0.75);
    DrawText(cr, "?", cx, cy + s * 0.27, Align::Centre);
}

void PlayIcon(cairo_t* cr, double cx, double cy, double s, Rgb ink) {
    SetColour(cr, ink);
    cairo_move_to(cr, cx - s * 0.35, cy - s * 0.45);
    cairo_line_to(cr, cx + s * 0.5, cy);
    cairo_line_to(cr, cx - s * 0.35, cy + s * 0.45);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void CoinIcon(cairo_t* cr, double cx, double cy, double s, Rgb ink) {
    // A seven-sided coin, as a 50p piece is.
    for (int pass = 0; pass < 2; ++pass) {
        double r = s * 0.5 - pass * s * 0.06;
        for (int i = 0; i < 7; ++i) {
            double a = -M_PI / 2 + i * 2 * M_PI / 7;
            if (i == 0)
                cairo_move_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
            else
                cairo_line_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
        }
        cairo_close_path(cr);
        if (pass == 0)
            SetColour(cr, Hex(0x8a8f96));
        else
            SetColour(cr, Hex(0xd9dde2));
        cairo_fill(cr);
    }
    SetFont(cr, Face::SansBold, s * 0.36);
    SetColour(cr, Hex(0x3a3f46));
    DrawText(cr, "50p", cx, cy + s * 0.13, Align::Centre);
}

void TickIcon(cairo_t* cr, double cx, double cy, double s, Rgb ink) {
    SetColour(cr, ink);
    cairo_set_line_width(cr, s * 0.2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, cx - s * 0.42, cy);
    cairo_line_to(cr, cx - s * 0.12, cy + s * 0.3);
    cairo_line_to(cr, cx + s * 0.45, cy - s * 0.35);
    cairo_stroke(cr);
}

void CrossIcon(cairo_t* cr, double cx, double cy, double s, Rgb ink) {
    SetColour(cr, ink);
    cairo_set_line_width(cr, s * 0.2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, cx - s * 0.35, cy - s * 0.35);
    cairo_line_to(cr, cx + s * 0.35, cy + s * 0.35);
    cairo_move_to(cr, cx + s * 0.35, cy - s * 0.35);
    cairo_line_to(cr, cx - s * 0.35, cy + s * 0.35);
    cairo_stroke(cr);
}

void SkipIcon(cairo_t* cr, double cx, double cy, double s, Rgb ink) {
    SetColour(cr, ink);
    for (int i = 0; i < 2; ++i) {
        double x0 = cx - s * 0.5 + i * s * 0.42;
        cairo_move_to(cr, x0, cy - s * 0.35);
        cairo_line_to(cr, x0 + s * 0.42, cy);
        cairo_line_to(cr, x0, cy + s * 0.35);
        cairo_close_path(cr);
    }
    cairo_fill(cr);
    cairo_rectangle(cr, cx + s * 0.36, cy - s * 0.35, s * 0.12, s * 0.7);
    cairo_fill(cr);
}

// A jester's cap with three bells.
void JokerIcon(cairo_t* cr, double cx, double cy, double s, Rgb ink) {
    const Rgb colours[3] = {Hex(0xd23a32), Hex(0xf2c230), Hex(0x2e9a48)};
    double baseY = cy + s * 0.3;
    for (int i = 0; i < 3; ++i) {
        double tipX = cx + (i - 1) * s * 0.5, tipY = cy - s * (i == 1 ? 0.5 : 0.3);
        cairo_move_to(cr, cx - s * 0.35 + i * s * 0.2, baseY);
        cairo_curve_to(cr, cx - s * 0.3 + i * s * 0.2, cy - s * 0.1, tipX * 0.6 + cx * 0.4,
                       tipY - s * 0.1, tipX, tipY);
        cairo_curve_to(cr, tipX * 0.7 + cx * 0.3, cy, cx - s * 0.1 + i * s * 0.2, cy,
                       cx - s * 0.15 + i * s * 0.2, baseY);
        cairo_close_path(cr);
        SetColour(cr, colours[i]);
        cairo_fill_preserve(cr);
        SetColour(cr, Colour::Black, 0.5);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cairo_arc(cr, tipX, tipY, s * 0.08, 0, 2 * M_PI);
        SetColour(cr, Colour::BrassLight);
        cairo_fill(cr);
    }
    RoundedRect(cr, cx - s * 0.42, baseY - s * 0.04, s * 0.84, s * 0.16, s * 0.05);
    SetColour(cr, ink);
    cairo_fill(cr);
}

const ButtonLook kBrass{Hex(0x6b4424), Hex(0x3a2412), Colour::Brass, Colour::BrassLight};
const ButtonLook kGreen{Hex(0x3cae5e), Hex(0x16592c), Colour::Brass, Colour::White};
const ButtonLook kAmber{Hex(0xffb638), Hex(0xb86a08), Colour::Brass, Colour::Ink};
const ButtonLook kAmberDim{Hex(0x8a6a3a), Hex(0x5a3c14), Colour::BrassDark, Hex(0xe0c89a)};
const ButtonLook kRed{Hex(0xe0473f), Hex(0x7e1612), Colour::Brass, Colour::White};
const ButtonLook kPurple{Hex(0x7a4ab8), Hex(0x361a66), Colour::Brass, Colour::White};
const ButtonLook kGrey{Hex(0x6c6660), Hex(0x3a3632), Colour::BrassDark, Hex(0xc8c0b4)};

ButtonLook Dim(const ButtonLook& l) {
    auto d = [](Rgb c) {
        int grey = (c.r * 3 + c.g * 6 + c.b) / 10;
        return Rgb{uint8_t((c.r + grey) / 3), uint8_t((c.g + grey) / 3), uint8_t((c.b + grey) / 3)};
    };
    return ButtonLook{d(l.top), d(l.bottom), Colour::BrassDark, Hex(0xb0a898)};
}

Picture TwoState(const char* path, const ButtonLook& look, const Icon& icon, const char* label,
                 const char* sub, Rgb under) {
    std::vector<Image> f = {Plaque(188, 135, 18, look, icon, 46, label, sub, false, under),
                            Plaque(188, 135, 18, look, icon, 46, label, sub, true, under)};
    return {FileOf(path), PictureFormat::Bmp, FramesOf(path), Stack(f)};
}

// The answer buttons: a round button; frame 0 is the dimmed look of the button not chosen,
// frame 1 the normal look.
Picture Answer(const char* path, const ButtonLook& look, const Icon& icon, const char* label) {
    std::vector<Image> f;
    for (int frame = 0; frame < FramesOf(path); ++frame) {
        ButtonLook l = frame == 0 ? Dim(look) : look;
        Canvas c(67, 67);
        cairo_t* cr = c.cr();
        cairo_arc(cr, 33.5, 33.5, 33.3, 0, 2 * M_PI);
        SetColour(cr, Colour::BrassDark);
        cairo_fill(cr);
        cairo_arc(cr, 33.5, 33.5, 31.5, 0, 2 * M_PI);
        SetColour(cr, l.rim);
        cairo_fill(cr);
        cairo_arc(cr, 33.5, 33.5, 27.5, 0, 2 * M_PI);
        cairo_pattern_t* p = cairo_pattern_create_radial(28, 22, 4, 33.5, 33.5, 28);
        cairo_pattern_add_color_stop_rgb(p, 0, l.top.r / 255.0, l.top.g / 255.0, l.top.b / 255.0);
        cairo_pattern_add_color_stop_rgb(p, 1, l.bottom.r / 255.0, l.bottom.g / 255.0,
                                         l.bottom.b / 255.0);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        icon(cr, 33.5, 26, 22, l.ink);
        SetFont(cr, Face::SansBold, 12.5);
        SetColour(cr, l.ink);
        DrawText(cr, label, 33.5, 52, Align::Centre);
        f.push_back(KeyOnMagenta(c.Finish(), Colour::WoodDark));
    }
    return {FileOf(path), PictureFormat::Bmp, FramesOf(path), Stack(f)};
}

// Pass and joker: frame n + 1 shows n helps left; frame 0 is the button's plain face.
Picture Help(const char* path, const ButtonLook& look, const Icon& icon, const char* label) {
    std::vector<Image> f;
    for (int frame = 0; frame < FramesOf(path); ++frame) {
        int left = frame - 1;
        bool none = frame == 1;
        ButtonLook l = none ? kGrey : look;
        Canvas c(122, 122);
        cairo_t* cr = c.cr();
        RoundedRect(cr, 0, 0, 122, 122, 22);
        SetColour(cr, Colour::BrassDark);
        cairo_fill(cr);
        RoundedRect(cr, 2, 2, 118, 118, 20);
        SetColour(cr, l.rim);
        cairo_fill(cr);
        Panel(cr, 7, 7, 108, 108, 16, l.top, l.bottom, Colour::BrassDark, 1);
        RoundedRect(cr, 11, 10, 100, 44, 12);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.12);
        cairo_fill(cr);
        icon(cr, 61, 40, 44, l.ink);
        SetFont(cr, Face::SansBold, 19);
        SetColour(cr, l.ink);
        DrawText(cr, label, 61, 84, Align::Centre);
        SetFont(cr, Face::SansBold, 13);
        std::string count = frame == 0  ? "HELP"
                            : none      ? "NONE LEFT"
                            : left == 1 ? "1 LEFT"
                                        : std::to_string(left) + " LEFT";
        // Count pips under the label.
        if (left > 0) {
            double x0 = 61 - (left - 1) * 7.0;
            for (int i = 0; i < left; ++i) {
                cairo_arc(cr, x0 + i * 14, 104, 4.5, 0, 2 * M_PI);
                SetColour(cr, Colour::BrassLight);
                cairo_fill_preserve(cr);
                SetColour(cr, Colour::BrassDark);
                cairo_set_line_width(cr, 1);
                cairo_stroke(cr);
            }
        } else {
            SetColour(cr, l.ink, 0.9);
            DrawText(cr, count, 61, 107, Align::Centre);
        }
        f.push_back(KeyOnMagenta(c.Finish(), Colour::WoodDark));
    }
    return {FileOf(path), PictureFormat::Bmp, FramesOf(path), Stack(f)};
}
}  // namespace

void MakeButtonPictures(std::vector<Picture>& out) {
    const Rgb under = Colour::WoodDark;
    out.push_back(TwoState(MainMenuButtonSprite, kBrass, DoorIcon, "MAIN MENU", nullptr, under));
    out.push_back(TwoState(RulesButtonSprite, kBrass, QuestionIcon, "RULES", nullptr, under));
    out.push_back(TwoState(PlayButtonSprite, kGreen, PlayIcon, "PLAY", "50p A GAME", under));
    {
        // Frame 1 is the sign the menu shows while the money is short; frame 0 its unlit look.
        std::vector<Image> f = {Plaque(188, 135, 18, kAmberDim, CoinIcon, 50, "INSERT COINS",
                                       "50p TO PLAY", false, under),
                                Plaque(188, 135, 18, kAmber, CoinIcon, 50, "INSERT COINS",
                                       "50p TO PLAY", false, under)};
        out.push_back(
            {FileOf(InsertCoinsSprite), PictureFormat::Bmp, FramesOf(InsertCoinsSprite), Stack(f)});
    }
    out.push_back(TwoState(CarryOnButtonSprite, kGreen, PlayIcon, "CARRY ON", nullptr, under));
    out.push_back(TwoState(CollectButtonSprite, kAmber, CoinIcon, "COLLECT", nullptr, under));
    out.push_back(Answer(TrueButtonSprite, kGreen, TickIcon, "TRUE"));
    out.push_back(Answer(FalseButtonSprite, kRed, CrossIcon, "FALSE"));
    out.push_back(Help(PassButtonSprite, kAmber, SkipIcon, "PASS"));
    out.push_back(Help(JokerButtonSprite, kPurple, JokerIcon, "JOKER"));
}
