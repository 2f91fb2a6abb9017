// The 50 rival teams and their pictures: small badges for the grid, big ones for the final,
// each standing and knocked out.
#include <cmath>

#include "assets.h"
#include "cairo_draw.h"

namespace {
constexpr Rgb kShirt[10] = {
    Hex(0xc8312c), Hex(0x1f5fbf), Hex(0x2e9a48), Hex(0xf2c230), Hex(0x6b3fa0),
    Hex(0xe8762b), Hex(0x1d1d1d), Hex(0x22a7b8), Hex(0xd94f8c), Hex(0x8a5a2b),
};
constexpr Rgb kTrim[10] = {
    Hex(0xffffff), Hex(0xf2c230), Hex(0x1d1d1d), Hex(0x1f5fbf), Hex(0xc8312c),
    Hex(0xf6ecd0), Hex(0x2e9a48), Hex(0x6b3fa0), Hex(0x22a7b8), Hex(0xe8762b),
};

const char* const kNames[50][2] = {
    {"Quizzly Bears", "QB"},      {"The Know-Alls", "KA"},    {"Pint Sized", "PS"},
    {"Barley Legal", "BL"},       {"Smarty Pints", "SP"},     {"The Nerd Herd", "NH"},
    {"Ale Caesar", "AC"},         {"Wine Not", "WN"},         {"Hops & Dreams", "HD"},
    {"The Brain Drain", "BD"},    {"Tipsy Scholars", "TS"},   {"Cider Inside", "CI"},
    {"The Last Orders", "LO"},    {"Stout Hearts", "SH"},     {"Bitter Rivals", "BR"},
    {"The Quizards", "QZ"},       {"Dart Attack", "DA"},      {"Mild Mannered", "MM"},
    {"Lager Than Life", "LL"},    {"Brew Crew", "BC"},        {"The Fact Finders", "FF"},
    {"Shandy Bandits", "SB"},     {"Pork Scratchers", "PK"},  {"Crisp Packets", "CP"},
    {"The Beer Mats", "BM"},      {"Porter Party", "PP"},     {"Malt Whisperers", "MW"},
    {"The Taproom Ten", "TT"},    {"Quiz in Boots", "QI"},    {"The Round Buyers", "RB"},
    {"Snug Bugs", "SG"},          {"Keg Heads", "KH"},        {"The Lock-Ins", "LI"},
    {"Optic Nerves", "ON"},       {"The Jukeboxers", "JB"},   {"Pickled Onions", "PO"},
    {"The Hat Trick", "HT"},      {"The Frothy Heads", "FH"}, {"Landlord's Pets", "LP"},
    {"Cellar Dwellers", "CD"},    {"Tap Dancers", "TD"},      {"Bar Humbugs", "BH"},
    {"Designated Drivers", "DD"}, {"Fruit Machines", "FM"},   {"Domino Effect", "DE"},
    {"The Scampi Fries", "SF"},   {"The Ploughmen", "PM"},    {"Real Ale Rangers", "RR"},
    {"Half Pint Heroes", "HP"},   {"The Bellringers", "RG"},
};

// Fills the current path with the team's shirt pattern.
void FillPattern(cairo_t* cr, const Team& t, double x, double y, double w, double h) {
    cairo_save(cr);
    cairo_clip_preserve(cr);
    SetColour(cr, t.main);
    cairo_fill(cr);
    SetColour(cr, t.second);
    switch (t.pattern) {
        case 0:  // vertical stripes
            for (int i = 1; i < 7; i += 2) cairo_rectangle(cr, x + w * i / 7, y, w / 7, h);
            break;
        case 1:  // halves
            cairo_rectangle(cr, x + w / 2, y, w / 2, h);
            break;
        case 2:  // hoops
            for (int i = 1; i < 6; i += 2) cairo_rectangle(cr, x, y + h * i / 6, w, h / 6);
            break;
        case 3:  // chevron
            cairo_move_to(cr, x, y + h * 0.25);
            cairo_line_to(cr, x + w / 2, y + h * 0.65);
            cairo_line_to(cr, x + w, y + h * 0.25);
            cairo_line_to(cr, x + w, y + h * 0.5);
            cairo_line_to(cr, x + w / 2, y + h * 0.9);
            cairo_line_to(cr, x, y + h * 0.5);
            cairo_close_path(cr);
            break;
        default:  // quarters
            cairo_rectangle(cr, x + w / 2, y, w / 2, h / 2);
            cairo_rectangle(cr, x, y + h / 2, w / 2, h / 2);
            break;
    }
    cairo_fill(cr);
    cairo_restore(cr);
}

// A shield outline of the given size.
void ShieldPath(cairo_t* cr, double x, double y, double w, double h) {
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + w, y);
    cairo_line_to(cr, x + w, y + h * 0.55);
    cairo_curve_to(cr, x + w, y + h * 0.8, x + w * 0.7, y + h * 0.92, x + w / 2, y + h);
    cairo_curve_to(cr, x + w * 0.3, y + h * 0.92, x, y + h * 0.8, x, y + h * 0.55);
    cairo_close_path(cr);
}

// The crest: a shield in the team's pattern with its initials.
void Crest(cairo_t* cr, const Team& t, double x, double y, double w, double h, double textSize) {
    ShieldPath(cr, x - 1.5, y - 1.5, w + 3, h + 3);
    SetColour(cr, Colour::BrassLight);
    cairo_fill(cr);
    ShieldPath(cr, x, y, w, h);
    FillPattern(cr, t, x, y, w, h);
    ShieldPath(cr, x, y, w, h);
    SetColour(cr, Colour::BrassDark);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    SetFont(cr, Face::SansBold, textSize);
    DrawOutlinedText(cr, t.initials, x + w / 2, y + h * 0.5 + textSize * 0.36, Align::Centre,
                     Colour::White, Colour::Black, std::max(1.0, textSize / 9));
}

// Badge of a team: shield crest over a name plate, on a plaque.
Image Badge(const Team& t, int w, int h, bool big) {
    Canvas c(w, h);
    cairo_t* cr = c.cr();
    double m = big ? 3 : 1.5;
    double r = big ? 12 : 7;
    RoundedRect(cr, m, m, w - 2 * m, h - 2 * m, r);
    SetColour(cr, Colour::BrassDark);
    cairo_fill(cr);
    RoundedRect(cr, m + 1.5, m + 1.5, w - 2 * m - 3, h - 2 * m - 3, r - 1);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.20, 0.13, 0.07);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.11, 0.07, 0.04);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // Team colour band along the top.
    double band = big ? 64 : 25;
    cairo_save(cr);
    RoundedRect(cr, m + 1.5, m + 1.5, w - 2 * m - 3, band, r - 1);
    FillPattern(cr, t, m, m, w - 2 * m, band + 2);
    cairo_restore(cr);
    cairo_rectangle(cr, m + 1.5, m + 1.5, w - 2 * m - 3, band);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.25);
    cairo_fill(cr);
    double cw = big ? 52 : 22, ch = big ? 60 : 24;
    Crest(cr, t, w / 2.0 - cw / 2, m + (big ? 6 : 2.5), cw, ch, big ? 20 : 9);
    // Name plate.
    double plateTop = m + band + (big ? 8 : 2);
    double plateH = h - plateTop - m - (big ? 5 : 2);
    RoundedRect(cr, m + (big ? 8 : 3), plateTop, w - 2 * m - (big ? 16 : 6), plateH, big ? 6 : 3);
    SetColour(cr, Colour::Cream);
    cairo_fill(cr);
    SetColour(cr, Colour::Ink);
    double size = big ? 17 : 9.5;
    double textW = w - 2 * m - (big ? 24 : 8);
    SetFont(cr, Face::SansBold, size);
    std::vector<std::string> lines = WrapText(cr, t.name, textW);
    if (lines.size() > 2 || TextWidth(cr, lines[0]) > textW ||
        (lines.size() > 1 && TextWidth(cr, lines[1]) > textW)) {
        for (; size > 6; size -= 0.25) {
            SetFont(cr, Face::SansBold, size);
            lines = WrapText(cr, t.name, textW);
            bool fits = lines.size() <= 2;
            for (auto& l : lines) fits = fits && TextWidth(cr, l) <= textW;
            if (fits) break;
        }
    }
    double lh = size * 1.1;
    double top = plateTop + (plateH - lh * double(lines.size())) / 2;
    for (size_t i = 0; i < lines.size(); ++i)
        DrawText(cr, lines[i], w / 2.0, std::round(top + lh * (i + 0.78)), Align::Centre);
    if (big) {
        SetColour(cr, Colour::BrassLight);
        Star(cr, 24, m + 22, 9, 4);
        Star(cr, w - 24, m + 22, 9, 4);
        cairo_fill(cr);
    }
    return c.Finish();
}

// The knocked-out look: the badge greyed, with a red stamp across it.
Image KnockedOut(const Image& standing, bool big) {
    Image grey = Desaturate(standing, 0.15, 0.55);
    Canvas c(standing.width, standing.height);
    cairo_t* cr = c.cr();
    DrawImage(cr, grey, 0, 0);
    double w = standing.width, h = standing.height;
    cairo_save(cr);
    cairo_translate(cr, w / 2, h / 2);
    cairo_rotate(cr, -0.32);
    // The stamp, turned, stays inside the badge, and its words inside the stamp.
    const char* word = big ? "KNOCKED OUT" : "OUT";
    double sw = big ? 148 : 66, sh = big ? 34 : 19;
    RoundedRect(cr, -sw / 2, -sh / 2, sw, sh, big ? 6 : 3);
    cairo_set_source_rgba(cr, 0.85, 0.12, 0.1, 0.9);
    cairo_set_line_width(cr, big ? 4 : 2);
    cairo_stroke(cr);
    double size = FitSize(cr, Face::SansBold, word, sw - (big ? 16 : 8), big ? 22 : 12, 8);
    cairo_set_source_rgba(cr, 0.9, 0.14, 0.1, 0.95);
    DrawText(cr, word, 0, size * 0.36, Align::Centre);
    cairo_restore(cr);
    return c.Finish();
}
}  // namespace

const std::vector<Team>& RivalTeams() {
    static const std::vector<Team> teams = [] {
        std::vector<Team> v;
        for (int i = 0; i < 50; ++i) {
            int a = i % 10;
            int b = (a + 1 + i / 10 * 3) % 10;
            if (kTrim[b].r == kShirt[a].r && kTrim[b].g == kShirt[a].g && kTrim[b].b == kShirt[a].b)
                b = (b + 1) % 10;
            v.push_back(Team{kNames[i][0], kNames[i][1], kShirt[a], kTrim[b], i / 10});
        }
        return v;
    }();
    return teams;
}

void MakeTeamPictures(std::vector<Picture>& out) {
    std::vector<Image> small, smallOut, big, bigOut;
    for (const Team& t : RivalTeams()) {
        small.push_back(Badge(t, 80, 59, false));
        smallOut.push_back(KnockedOut(small.back(), false));
        big.push_back(Badge(t, 175, 131, true));
        bigOut.push_back(KnockedOut(big.back(), true));
    }
    out.push_back(
        {FileOf(SmallTeamsSprite), PictureFormat::Tga, FramesOf(SmallTeamsSprite), Stack(small)});
    out.push_back({FileOf(SmallTeamsOutSprite), PictureFormat::Tga, FramesOf(SmallTeamsOutSprite),
                   Stack(smallOut)});
    out.push_back(
        {FileOf(BigTeamsSprite), PictureFormat::Tga, FramesOf(BigTeamsSprite), Stack(big)});
    out.push_back({FileOf(BigTeamsOutSprite), PictureFormat::Tga, FramesOf(BigTeamsOutSprite),
                   Stack(bigOut)});
}
