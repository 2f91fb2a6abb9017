// The message panel: 31 frames of one chalkboard in a wooden frame, each saying what the game
// shows it for. Every frame has the same outline, since the game draws frames over each other.
#include <cmath>
#include <cstdio>

#include "assets.h"
#include "cairo_draw.h"

namespace {
constexpr int W = kPanelWidth;
constexpr int H = kPanelHeight;
// The header plate: the game flashes rows 0-35, columns 70-289, of the warning frame over the
// question frame, so the plate of every frame sits exactly there.
constexpr double kPlateX = 72, kPlateY = 5, kPlateW = 216, kPlateH = 27;
// The chalkboard, which holds the question text box (columns 20-334, rows 36-145).
constexpr double kBoardX = 12, kBoardY = 35, kBoardW = W - 24, kBoardH = H - 35 - 9;

enum class Tone { Brass, Green, Red, Amber, Purple };

Rgb PlateTop(Tone t) {
    switch (t) {
        case Tone::Green:
            return Hex(0x4fc46e);
        case Tone::Red:
            return Hex(0xe8514a);
        case Tone::Amber:
            return Hex(0xffc44d);
        case Tone::Purple:
            return Hex(0x9b6ad6);
        default:
            return Colour::BrassLight;
    }
}
Rgb PlateBottom(Tone t) {
    switch (t) {
        case Tone::Green:
            return Hex(0x1f7a3a);
        case Tone::Red:
            return Hex(0x8e1a16);
        case Tone::Amber:
            return Hex(0xc77d10);
        case Tone::Purple:
            return Hex(0x4a2680);
        default:
            return Colour::Brass;
    }
}

// The frame, the board and the header plate with its title.
void PanelBase(cairo_t* cr, const char* title, Tone tone) {
    RoundedRect(cr, 0, 0, W, H, 12);
    SetColour(cr, Colour::BrassDark);
    cairo_fill(cr);
    cairo_save(cr);
    RoundedRect(cr, 2, 2, W - 4, H - 4, 10);
    cairo_clip(cr);
    WoodGrain(cr, 0, 0, W, H, Colour::Wood, 7);
    cairo_restore(cr);
    // Board with a bevelled inner edge.
    RoundedRect(cr, kBoardX - 2, kBoardY - 2, kBoardW + 4, kBoardH + 4, 5);
    SetColour(cr, Colour::WoodDark);
    cairo_fill(cr);
    RoundedRect(cr, kBoardX, kBoardY, kBoardW, kBoardH, 4);
    SetColour(cr, Colour::Chalkboard);
    cairo_fill(cr);
    if (!title) return;
    Panel(cr, kPlateX, kPlateY, kPlateW, kPlateH, 6, PlateTop(tone), PlateBottom(tone),
          Colour::BrassDark, 1.5);
    SetFont(cr, Face::SansBold, 17);
    FitSize(cr, Face::SansBold, title, kPlateW - 16, 17, 10);
    Rgb ink = tone == Tone::Brass || tone == Tone::Amber ? Colour::Ink : Colour::White;
    SetColour(cr, ink);
    DrawText(cr, title, kPlateX + kPlateW / 2, kPlateY + 19.5, Align::Centre);
}

// Chalk writing on the board: an optional big line and a paragraph under it.
void BoardText(cairo_t* cr, const char* big, Rgb bigColour, const char* body) {
    double top = kBoardY + 6, h = kBoardH - 12;
    double x = kBoardX + 10, w = kBoardW - 20;
    if (big) {
        double size = FitSize(cr, Face::SansBold, big, w, 30, 14);
        SetFont(cr, Face::SansBold, size);
        double bigH = size * 1.25;
        double bodyH = 0;
        std::vector<std::string> lines;
        if (body) {
            SetFont(cr, Face::SansBold, 15);
            lines = WrapText(cr, body, w);
            bodyH = 19.0 * double(lines.size());
        }
        double y = top + (h - bigH - bodyH) / 2;
        SetFont(cr, Face::SansBold, size);
        SetColour(cr, bigColour);
        DrawText(cr, big, x + w / 2, std::round(y + size * 0.95), Align::Centre);
        if (body) {
            SetFont(cr, Face::SansBold, 15);
            SetColour(cr, Colour::Chalk);
            DrawParagraph(cr, body, x, y + bigH, w, bodyH, 19, Align::Centre, false);
        }
        return;
    }
    if (body) {
        SetFont(cr, Face::SansBold, 16);
        SetColour(cr, Colour::Chalk);
        DrawParagraph(cr, body, x, top, w, h, 21, Align::Centre, true);
    }
}

Image Message(const char* title, Tone tone, const char* big, Rgb bigColour, const char* body) {
    Canvas c(W, H);
    PanelBase(c.cr(), title, tone);
    BoardText(c.cr(), big, bigColour, body);
    return c.Finish();
}

// The knock-out panels: two number slots (the game draws the numbers at rows 9 and 79,
// column 54) with what each number counts.
Image KnockOut(const char* first) {
    Canvas c(W, H);
    cairo_t* cr = c.cr();
    PanelBase(cr, nullptr, Tone::Brass);
    // Board covers the whole inside here.
    RoundedRect(cr, 8, 5, W - 16, H - 10, 6);
    SetColour(cr, Colour::WoodDark);
    cairo_fill(cr);
    RoundedRect(cr, 10, 7, W - 20, H - 14, 5);
    SetColour(cr, Colour::Chalkboard);
    cairo_fill(cr);
    const char* labels[2] = {first, "STILL STANDING"};
    for (int i = 0; i < 2; ++i) {
        double y = 9 + 70 * i;
        RoundedRect(cr, 52, y - 2, 76, 66, 8);
        SetColour(cr, Colour::BrassDark);
        cairo_fill(cr);
        // The heading keeps clear of the board's right edge.
        FitSize(cr, Face::SansBold, labels[i], W - 160, 19, 11);
        SetColour(cr, i == 0 ? Hex(0xff8a7a) : Hex(0x9be8b0));
        DrawText(cr, labels[i], 138, y + 28, Align::Left);
        SetFont(cr, Face::Sans, 13);
        SetColour(cr, Colour::Chalk);
        DrawText(cr, i == 0 ? "this round" : "teams left in the quiz", 138, y + 47, Align::Left);
    }
    return c.Finish();
}

std::string Pounds(int pence) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "\xC2\xA3%d.%02d", pence / 100, pence % 100);
    return buf;
}

Image Win(int pence) {
    std::string amount = "YOU WIN " + Pounds(pence);
    std::string body;
    if (pence < 100)
        body = Pounds(pence) + " goes into your credit.";
    else if (pence % 100 == 0)
        body = Pounds(pence) + " goes into your bank.";
    else
        body = Pounds(pence / 100 * 100) + " into your bank, " + std::to_string(pence % 100) +
               "p into your credit.";
    return Message("WINNER!", Tone::Green, amount.c_str(), Colour::BrassLight, body.c_str());
}
}  // namespace

void MakeMessagePanel(std::vector<Picture>& out) {
    const Rgb gold = Colour::BrassLight, green = Hex(0x7be39a), red = Hex(0xff7a6e);
    std::vector<Image> f(kPanelFrames);
    f[0] =
        Message("QUIZ NIGHT", Tone::Brass, "BRINDLEMARK", gold, "The pub quiz is about to begin");
    f[1] = Message("TONIGHT'S TEAMS", Tone::Brass, "50 TEAMS TO BEAT", gold,
                   "Answer 14 questions right to knock them all out and reach the final!");
    f[2] = Message("GET READY", Tone::Brass, "FIRST QUESTION", gold,
                   "True or false? You have 20 seconds.");
    f[3] = Message("TRUE OR FALSE?", Tone::Brass, nullptr, gold, nullptr);
    f[4] = Message("CORRECT!", Tone::Green, "RIGHT ANSWER!", green,
                   "Well done - teams are going out.");
    f[5] = Message("WRONG!", Tone::Red, "WRONG ANSWER", red, "Sorry, that's not right.");
    f[6] = Message("TRY AGAIN", Tone::Amber, "NOT QUITE!", Colour::Amber,
                   "First question bonus: you get one more try.");
    f[7] =
        Message("PASSED", Tone::Brass, "QUESTION PASSED", gold, "A pass counts as a right answer.");
    f[8] = Message("TIME UP!", Tone::Red, "OUT OF TIME!", red, "The 20 seconds ran out.");
    f[9] = Message("GAME OVER", Tone::Red, "GAME OVER", red, "Better luck next time!");
    f[10] = Message("THE FINAL", Tone::Purple, "3 BIG TEAMS LEFT", gold,
                    "Beat each one with a right answer. Every win raises your prize!");
    f[11] =
        Message("WELL DONE", Tone::Green, "14 RIGHT ANSWERS", green, "Every ordinary team is out.");
    f[12] = Message("LAST ORDERS", Tone::Amber, "LAST ORDERS!", Colour::Amber,
                    "Time for the final round.");
    f[13] = Message("CHAMPIONS!", Tone::Green, "ALL 3 BEATEN!", gold,
                    "You beat every big team and win the top prize!");
    const int prizes[8] = {50, 100, 150, 200, 300, 400, 500, 600};
    for (int i = 0; i < 8; ++i) f[14 + i] = Win(prizes[i]);
    f[22] = Message("JOKER!", Tone::Purple, "JOKER PLAYED", gold, "Extra teams are knocked out!");
    f[23] = Message("KNOCK OUT", Tone::Brass, "TEAMS GOING...", gold,
                    "Your right answer knocks teams out.");
    f[24] = Message("FINAL LOST", Tone::Red, "SO CLOSE!", red,
                    "The first big team was too strong. No prize this time.");
    f[25] = Message("ONE DOWN", Tone::Green, "1 BIG TEAM BEATEN", green,
                    "You win the first big team's prize!");
    f[26] = Message("TWO DOWN", Tone::Green, "2 BIG TEAMS BEATEN", green,
                    "You win the second big team's prize!");
    f[27] = Message("HURRY UP!", Tone::Red, nullptr, gold, nullptr);
    f[28] = KnockOut("TEAM KNOCKED OUT");
    f[29] = KnockOut("TEAMS KNOCKED OUT");
    f[30] = Message("FINAL LOST", Tone::Red, "OUT IN THE FINAL", red,
                    "The big team beat you to it. Better luck next time!");
    // One outline for all frames, hard edged; the panel sits on the dark bar top.
    for (Image& img : f) img = KeyOnMagenta(img, Colour::WoodDark);
    out.push_back(
        {FileOf(MessagePanelSprite), PictureFormat::Bmp, FramesOf(MessagePanelSprite), Stack(f)});
}
