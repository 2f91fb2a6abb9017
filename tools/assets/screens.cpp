// Full-screen pictures and the panels the menu draws: loading picture, menu, rules screen, game
// background, win background, credit and bank panels, the clock's strip and the overlay.
#include <cmath>

#include "assets.h"
#include "cairo_draw.h"

namespace {
constexpr int SW = 800, SH = 600;

// The cabinet's name plate: brass letters on a green ribbon.
void Logo(cairo_t* cr, double cx, double cy, double scale) {
    double rw = 420 * scale, rh = 30 * scale;
    // Ribbon behind the subtitle.
    cairo_move_to(cr, cx - rw / 2 - 18 * scale, cy + 14 * scale);
    cairo_line_to(cr, cx + rw / 2 + 18 * scale, cy + 14 * scale);
    cairo_line_to(cr, cx + rw / 2 + 6 * scale, cy + 14 * scale + rh / 2);
    cairo_line_to(cr, cx + rw / 2 + 18 * scale, cy + 14 * scale + rh);
    cairo_line_to(cr, cx - rw / 2 - 18 * scale, cy + 14 * scale + rh);
    cairo_line_to(cr, cx - rw / 2 - 6 * scale, cy + 14 * scale + rh / 2);
    cairo_close_path(cr);
    SetColour(cr, Colour::GreenDark);
    cairo_fill(cr);
    RoundedRect(cr, cx - rw / 2, cy + 12 * scale, rw, rh + 4 * scale, 4 * scale);
    SetColour(cr, Colour::Green);
    cairo_fill_preserve(cr);
    SetColour(cr, Colour::BrassLight);
    cairo_set_line_width(cr, 2 * scale);
    cairo_stroke(cr);
    SetFont(cr, Face::SansBold, 19 * scale);
    SetColour(cr, Colour::Cream);
    DrawText(cr, "THE  PUB  QUIZ  CABINET", cx, cy + 35 * scale, Align::Centre);
    SetFont(cr, Face::SerifBold, 62 * scale);
    DrawOutlinedText(cr, "Brindlemark", cx + 3 * scale, cy + 3 * scale, Align::Centre,
                     Colour::Black, Colour::Black, 4 * scale);
    DrawOutlinedText(cr, "Brindlemark", cx, cy, Align::Centre, Colour::BrassLight, Colour::WoodDark,
                     3 * scale);
}

// Wood panelled wall with a dark bar counter below `barTop`.
void PubWall(cairo_t* cr, int barTop) {
    WoodGrain(cr, 0, 0, SW, barTop, Colour::Wood, 11);
    // Panels.
    for (int i = 0; i < 4; ++i) {
        double x = 16 + i * 196;
        RoundedRect(cr, x, 20, 180, barTop - 44, 6);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.18);
        cairo_fill(cr);
        RoundedRect(cr, x + 2, 22, 176, barTop - 48, 5);
        cairo_set_source_rgba(cr, 1, 0.85, 0.6, 0.06);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
    // Counter top and front.
    WoodGrain(cr, 0, barTop, SW, SH - barTop, Colour::WoodDark, 12);
    FillVertical(cr, 0, barTop, SW, 5, Colour::BrassLight, Colour::BrassDark);
}

void Chalkboard(cairo_t* cr, double x, double y, double w, double h) {
    RoundedRect(cr, x - 10, y - 10, w + 20, h + 20, 8);
    SetColour(cr, Colour::WoodDark);
    cairo_fill(cr);
    RoundedRect(cr, x - 7, y - 7, w + 14, h + 14, 6);
    SetColour(cr, Colour::WoodLight);
    cairo_fill(cr);
    cairo_rectangle(cr, x, y, w, h);
    SetColour(cr, Colour::Chalkboard);
    cairo_fill(cr);
    // Faint chalk dust.
    cairo_pattern_t* p = cairo_pattern_create_radial(x + w * 0.4, y + h * 0.3, 10, x + w * 0.5,
                                                     y + h * 0.5, std::max(w, h) * 0.7);
    cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.06);
    cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// A brass plaque button painted into a screen (the rules screen's return button).
void PaintedButton(cairo_t* cr, double x, double y, double w, double h, const char* label) {
    RoundedRect(cr, x, y, w, h, 18);
    SetColour(cr, Colour::BrassDark);
    cairo_fill(cr);
    RoundedRect(cr, x + 2, y + 2, w - 4, h - 4, 16);
    SetColour(cr, Colour::Brass);
    cairo_fill(cr);
    Panel(cr, x + 7, y + 7, w - 14, h - 14, 12, Hex(0x6b4424), Hex(0x3a2412), Colour::BrassDark, 1);
    // Return arrow.
    double cx = x + w / 2, cy = y + 52;
    SetColour(cr, Colour::BrassLight);
    cairo_set_line_width(cr, 6);
    cairo_arc_negative(cr, cx + 4, cy, 18, M_PI / 2, -M_PI / 2);
    cairo_stroke(cr);
    cairo_move_to(cr, cx - 22, cy - 18);
    cairo_line_to(cr, cx + 4, cy - 32);
    cairo_line_to(cr, cx + 4, cy - 4);
    cairo_close_path(cr);
    cairo_fill(cr);
    SetFont(cr, Face::SansBold, 26);
    DrawText(cr, label, x + w / 2, y + h - 20, Align::Centre);
}

Image MenuBackground() {
    Canvas c(SW, SH);
    cairo_t* cr = c.cr();
    PubWall(cr, 425);
    Logo(cr, 400, 70, 0.68);
    Chalkboard(cr, 130, 150, 460, 236);
    SetFont(cr, Face::SansBold, 26);
    SetColour(cr, Colour::BrassLight);
    DrawText(cr, "TONIGHT'S QUIZ", 360, 188, Align::Centre);
    const char* lines[] = {"Beat 50 rival teams", "True or false - 20 seconds each",
                           "14 right answers reach the final",
                           ("Win up to \xC2\xA3"
                            "6.00")};
    SetFont(cr, Face::SansBold, 20);
    for (int i = 0; i < 4; ++i) {
        SetColour(cr, i == 3 ? Hex(0x9be8b0) : Colour::Chalk);
        DrawText(cr, lines[i], 360, 232 + i * 38, Align::Centre);
    }
    // Coin slot above the play button: touching it starts a game too.
    RoundedRect(cr, 676, 293, 61, 95, 10);
    SetColour(cr, Colour::BrassDark);
    cairo_fill(cr);
    Panel(cr, 679, 296, 55, 89, 8, Colour::BrassLight, Colour::Brass, Colour::BrassDark, 1);
    RoundedRect(cr, 702, 304, 9, 34, 3);
    SetColour(cr, Colour::Black);
    cairo_fill(cr);
    SetFont(cr, Face::SansBold, 15);
    SetColour(cr, Colour::Ink);
    DrawText(cr, "50p", 706.5, 358, Align::Centre);
    cairo_move_to(cr, 696, 366);
    cairo_line_to(cr, 717, 366);
    cairo_line_to(cr, 706.5, 379);
    cairo_close_path(cr);
    cairo_fill(cr);
    SetFont(cr, Face::Sans, 13);
    SetColour(cr, Colour::Cream, 0.7);
    DrawText(cr, "Touch RULES to learn how to play", 400, 590, Align::Centre);
    return c.Finish();
}

// The credit and bank panels: a brass plaque with its name over a dark amount display.
void AmountPanel(cairo_t* cr, const char* name, double displayX, double displayY, double displayW,
                 double displayH) {
    Panel(cr, 4, 2, 225, 112, 14, Hex(0x6b4424), Hex(0x3a2412), Colour::Brass, 3);
    SetFont(cr, Face::SansBold, 20);
    SetColour(cr, Colour::BrassLight);
    DrawText(cr, name, 116.5, 33, Align::Centre);
    RoundedRect(cr, displayX - 3, displayY - 3, displayW + 6, displayH + 6, 6);
    SetColour(cr, Colour::BrassDark);
    cairo_fill(cr);
    RoundedRect(cr, displayX, displayY, displayW, displayH, 4);
    SetColour(cr, Colour::Display);
    cairo_fill(cr);
}

Image CreditPanel(const Image& menu) {
    Canvas c(233, 118);
    cairo_t* cr = c.cr();
    DrawImage(cr, menu, -567, 0);
    // The amount is centred in x 27-196, y 51-103 of the panel.
    AmountPanel(cr, "CREDIT", 22, 46, 189, 62);
    return Opaque(c.Finish(), Colour::Wood);
}

Image BankPanel() {
    Canvas c(233, 118);
    // The amount is centred in x 38-206, y 51-98 of the panel.
    AmountPanel(c.cr(), "BANK", 22, 46, 189, 62);
    return KeyOnMagenta(c.Finish(), Colour::Wood);
}

Image RulesScreen() {
    Canvas c(SW, SH);
    cairo_t* cr = c.cr();
    PubWall(cr, 440);
    SetFont(cr, Face::SerifBold, 38);
    DrawOutlinedText(cr, "How to play", 400, 50, Align::Centre, Colour::BrassLight,
                     Colour::WoodDark, 3);
    Chalkboard(cr, 28, 72, 744, 352);
    struct Rule {
        const char* head;
        const char* text;
    };
    const Rule left[] = {
        {"A GAME COSTS 50p",
         "Touch PLAY to start. The stake comes from your credit, then your bank."},
        {"BEAT 50 TEAMS",
         "Each question is a statement: touch TRUE or FALSE within 20 seconds. "
         "Every right answer knocks rival teams out."},
        {"14 RIGHT ANSWERS", "clear the 47 ordinary teams and take you to the final."},
        {"ONE SLIP ENDS IT",
         "A wrong or late answer ends the game with nothing won. "
         "Only the first question gives you a second try."},
    };
    const Rule right[] = {
        {"PASS", "Skips a question and counts as a right answer. You get 1 or 2 each game."},
        {"JOKER", "One per game. Play it, then answer right or pass, and extra teams go out."},
        {"THE FINAL",
         "Three big teams, each with a prize. Each right answer beats the next one; "
         "a wrong answer ends the final. You win the prize of the last big team "
         "you beat, from 50p to \xC2\xA3"
         "6."},
        {"PRIZES", "Paid at once: whole pounds into your bank, pence into your credit."},
    };
    // Lays a column out at a text size; returns its bottom edge (drawing only when asked).
    auto column = [&](const Rule* rules, double x, double w, double size, bool draw) {
        double y = 90, line = size * 1.26;
        for (int i = 0; i < 4; ++i) {
            SetFont(cr, Face::SansBold, size + 1.5);
            SetColour(cr, Colour::BrassLight);
            if (draw) DrawText(cr, rules[i].head, x, y + size, Align::Left);
            SetFont(cr, Face::Sans, size);
            SetColour(cr, Colour::Chalk);
            std::vector<std::string> lines = WrapText(cr, rules[i].text, w);
            for (size_t k = 0; k < lines.size() && draw; ++k)
                DrawText(cr, lines[k], x, y + size + line * double(k + 1), Align::Left);
            y += line * double(lines.size() + 1) + size * 0.7;
        }
        return y;
    };
    // The largest size at which both columns fit the board.
    double size = 17;
    while (size > 11 &&
           std::max(column(left, 48, 330, size, false), column(right, 412, 340, size, false)) > 418)
        size -= 0.25;
    column(left, 48, 330, size, true);
    column(right, 412, 340, size, true);
    PaintedButton(cr, 307, 443, 188, 135, "BACK");
    SetFont(cr, Face::Sans, 15);
    SetColour(cr, Colour::Cream, 0.8);
    DrawText(cr, "Touch the screen to go back", 150, 520, Align::Centre);
    DrawText(cr, "Touch the screen to go back", 650, 520, Align::Centre);
    return c.Finish();
}

Image LoadingScreen() {
    Canvas c(SW, SH);
    cairo_t* cr = c.cr();
    PubWall(cr, 470);
    Logo(cr, 400, 190, 1.0);
    Chalkboard(cr, 200, 290, 400, 120);
    SetFont(cr, Face::SansBold, 30);
    SetColour(cr, Colour::Chalk);
    DrawText(cr, "QUIZ NIGHT", 400, 338, Align::Centre);
    SetFont(cr, Face::Sans, 18);
    DrawText(cr, "Setting up the tables...", 400, 380, Align::Centre);
    SetFont(cr, Face::SansBold, 16);
    SetColour(cr, Colour::BrassLight);
    DrawText(cr, "LOADING", 400, 530, Align::Centre);
    for (int i = 0; i < 5; ++i) {
        cairo_arc(cr, 360 + i * 20, 552, 5, 0, 2 * M_PI);
        SetColour(cr, Colour::Brass, 0.4 + i * 0.15);
        cairo_fill(cr);
    }
    return c.Finish();
}

Image GameBackground() {
    Canvas c(SW, SH);
    cairo_t* cr = c.cr();
    // Top bar.
    WoodGrain(cr, 0, 0, SW, 47, Colour::WoodDark, 21);
    FillVertical(cr, 0, 44, SW, 3, Colour::BrassLight, Colour::BrassDark);
    SetFont(cr, Face::SerifBold, 28);
    DrawOutlinedText(cr, "Brindlemark", 400, 33, Align::Centre, Colour::BrassLight, Colour::Black,
                     2);
    SetFont(cr, Face::SansBold, 14);
    SetColour(cr, Colour::Cream, 0.85);
    DrawText(cr, "QUIZ NIGHT", 20, 29, Align::Left);
    DrawText(cr, "KNOCK THEM ALL OUT", 780, 29, Align::Right);
    // The team grid's wall: deep green with a faint diamond pattern.
    FillVertical(cr, 0, 47, SW, 383, Hex(0x1a4a34), Hex(0x0e2c1f));
    cairo_save(cr);
    cairo_rectangle(cr, 0, 47, SW, 383);
    cairo_clip(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.035);
    cairo_set_line_width(cr, 1);
    for (int i = -20; i < 40; ++i) {
        cairo_move_to(cr, i * 40, 47);
        cairo_line_to(cr, i * 40 + 383, 430);
        cairo_move_to(cr, i * 40, 430);
        cairo_line_to(cr, i * 40 + 383, 47);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
    // A faint crest in the gap of the grid, where the final is played.
    SetFont(cr, Face::SerifBold, 30);
    SetColour(cr, Colour::BrassLight, 0.12);
    DrawText(cr, "Brindlemark", 400, 345, Align::Centre);
    SetFont(cr, Face::SansBold, 14);
    DrawText(cr, "PUB QUIZ", 400, 368, Align::Centre);
    // Bar counter.
    WoodGrain(cr, 0, 430, SW, 170, Colour::WoodDark, 22);
    FillVertical(cr, 0, 430, SW, 4, Colour::BrassLight, Colour::BrassDark);
    // The clock's alcove: x 574-659, y 435-582.
    RoundedRect(cr, 574, 436, 85, 146, 8);
    SetColour(cr, Colour::BrassDark);
    cairo_fill(cr);
    RoundedRect(cr, 577, 439, 79, 140, 6);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 439, 0, 579);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.05, 0.04, 0.03);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.16, 0.11, 0.07);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    return c.Finish();
}

Image WinBackground() {
    Canvas c(SW, SH);
    cairo_t* cr = c.cr();
    FillVertical(cr, 0, 0, SW, SH, Hex(0x1d5a3e), Hex(0x0a2014));
    for (int i = 0; i < 24; ++i) {
        double a0 = i * M_PI / 12, a1 = a0 + M_PI / 24;
        cairo_move_to(cr, 400, 300);
        cairo_line_to(cr, 400 + 900 * std::cos(a0), 300 + 900 * std::sin(a0));
        cairo_line_to(cr, 400 + 900 * std::cos(a1), 300 + 900 * std::sin(a1));
        cairo_close_path(cr);
    }
    SetColour(cr, Colour::BrassLight, 0.12);
    cairo_fill(cr);
    Logo(cr, 400, 120, 0.8);
    SetFont(cr, Face::SerifBold, 96);
    DrawOutlinedText(cr, "WINNER!", 400, 330, Align::Centre, Colour::BrassLight, Colour::WoodDark,
                     5);
    SetColour(cr, Colour::BrassLight);
    for (int i = 0; i < 5; ++i) Star(cr, 200 + i * 100, 400, 22, 9);
    cairo_fill(cr);
    return c.Finish();
}

Image Crop(const Image& src, int x, int y, int w, int h) {
    Image out(w, h);
    Paste(out, src, -x, -y);
    return out;
}

// A transparent overlay with a brass edge: the key colour everywhere else.
Image Overlay() {
    Canvas c(SW, SH);
    cairo_t* cr = c.cr();
    for (int i = 0; i < 8; ++i) {
        cairo_rectangle(cr, i + 0.5, i + 0.5, SW - 2 * i - 1, SH - 2 * i - 1);
        Rgb edge = i < 2 ? Colour::BrassDark : i < 6 ? Colour::Brass : Colour::BrassLight;
        SetColour(cr, edge);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    return KeyOnMagenta(c.Finish(), Colour::Brass);
}
}  // namespace

void MakeScreenPictures(std::vector<Picture>& out) {
    Image menu = Opaque(MenuBackground(), Colour::Black);
    Image game = Opaque(GameBackground(), Colour::Black);
    out.push_back({FileOf(LoadingScreenImage), PictureFormat::Bmp, FramesOf(LoadingScreenImage),
                   Opaque(LoadingScreen(), Colour::Black)});
    out.push_back(
        {FileOf(TransparencyImage), PictureFormat::Pcx, FramesOf(TransparencyImage), Overlay()});
    out.push_back({FileOf(RulesImage), PictureFormat::Bmp, FramesOf(RulesImage),
                   Opaque(RulesScreen(), Colour::Black)});
    out.push_back({FileOf(CreditBlankImage), PictureFormat::Bmp, FramesOf(CreditBlankImage),
                   CreditPanel(menu)});
    out.push_back(
        {FileOf(BankBlankImage), PictureFormat::Bmp, FramesOf(BankBlankImage), BankPanel()});
    out.push_back(
        {FileOf(GameBackgroundImage), PictureFormat::Bmp, FramesOf(GameBackgroundImage), game});
    out.push_back({FileOf(WinBackgroundImage), PictureFormat::Bmp, FramesOf(WinBackgroundImage),
                   Opaque(WinBackground(), Colour::Black)});
    out.push_back(
        {FileOf(MenuBackgroundImage), PictureFormat::Bmp, FramesOf(MenuBackgroundImage), menu});
    {
        // The clock's strip: the alcove empty, and lit.
        Image alcove = Crop(game, 573, 435, 86, 148);
        Image lit = alcove;
        for (size_t i = 0; i < lit.rgba.size(); i += 4)
            for (int k = 0; k < 3; ++k)
                lit.rgba[i + k] = uint8_t(std::min(255, lit.rgba[i + k] * 3 / 2 + 10));
        out.push_back({FileOf(TimerBackgroundImage), PictureFormat::Bmp,
                       FramesOf(TimerBackgroundImage), Stack({alcove, lit})});
    }
}
