// Mock-ups of the game's screens, put together from the generated pictures the way the game
// draws them (positions, keying, opacity, and the bitmap fonts measured and laid out as the game
// does), for the review sheet.
#include <algorithm>
#include <map>

#include "assets.h"

namespace {
const Picture& Find(const std::vector<Picture>& all, const std::string& path) {
    for (const Picture& p : all)
        if (p.path == path) return p;
    static const Picture none{"", PictureFormat::Bmp, 1, Image(1, 1)};
    return none;
}

bool IsKey(const uint8_t* p) {
    return p[0] == 255 && p[1] == 0 && p[2] == 255;
}

// Draws frame f of a picture: keyed (magenta skipped), or blended by its alpha and an opacity.
void Draw(Image& screen, const Picture& pic, int f, int x, int y, bool alpha = false,
          double opacity = 1, int sx0 = 0, int sy0 = 0, int sw = -1, int sh = -1) {
    int fh = pic.image.height / pic.frames;
    if (sw < 0) sw = pic.image.width;
    if (sh < 0) sh = fh;
    for (int yy = 0; yy < sh; ++yy)
        for (int xx = 0; xx < sw; ++xx) {
            int dx = x + xx, dy = y + yy;
            if (dx < 0 || dy < 0 || dx >= screen.width || dy >= screen.height) continue;
            const uint8_t* s = pic.image.At(sx0 + xx, f * fh + sy0 + yy);
            uint8_t* d = screen.At(dx, dy);
            double a = alpha ? s[3] / 255.0 * opacity : (IsKey(s) ? 0 : opacity);
            for (int c = 0; c < 3; ++c) d[c] = uint8_t(s[c] * a + d[c] * (1 - a) + 0.5);
        }
}

// Glyph advances as the game measures them from the font's pixels.
std::vector<int> Advances(const Picture& font, int extra) {
    int fh = font.image.height / 96, fw = font.image.width;
    std::vector<int> adv(96);
    for (int g = 0; g < 96; ++g) {
        int rightmost = 0;
        for (int k = 0; k < fh; ++k)
            for (int l = fw - 1; l >= 1; --l)
                if (!IsKey(font.image.At(l, g * fh + k))) {
                    rightmost = std::max(rightmost, l);
                    break;
                }
        adv[g] = rightmost + 1 + extra;
    }
    adv[0] = fw / 2;
    return adv;
}

int Glyph(unsigned char c) {
    return c == 0xA3 ? 95 : (c >= 32 && c <= 127 ? c - 32 : -1);
}

// The game's text drawing: words broken onto lines at spaces, lines and block centred.
void Text(Image& screen, const Picture& font, int extra, const std::string& text, int x, int y,
          int bw, int bh) {
    std::vector<int> adv = Advances(font, extra);
    int lh = font.image.height / 96;
    std::vector<int> width{0}, end{0};
    size_t p = 0;
    while (p < text.size()) {
        size_t start = p;
        int w = 0;
        do {
            int g = Glyph(text[p]);
            w += g < 0 ? 0 : adv[g];
            ++p;
        } while (p < text.size() && text[p] != ' ');
        if (width.back() + w > bw && width.back() > 0) {
            for (size_t s = start; s < p && text[s] == ' '; ++s) w -= adv[0];
            width.push_back(0);
            end.push_back(0);
        }
        end.back() = int(p);
        width.back() += w;
    }
    int voff = (bh - int(width.size()) * lh) / 2;
    int px = 0, py = 0;
    size_t line = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        int hoff = (bw - width[line]) / 2;
        int g = Glyph(text[i]);
        if (g >= 0) Draw(screen, font, g, x + px + hoff, y + py + voff);
        if (int(i) + 1 >= end[line] && line + 1 < width.size()) {
            py += lh;
            px = 0;
            ++line;
        } else if (g >= 0) {
            px += adv[g];
        }
    }
}

Image Menu(const std::vector<Picture>& all, bool money) {
    Image s = Find(all, FileOf(MenuBackgroundImage)).image;
    const Picture& font = Find(all, FileOf(BankFontImage));
    Draw(s, Find(all, FileOf(BankBlankImage)), 0, 0, 0);
    Text(s, font, 2,
         money ? "\xA3"
                 "1.00"
               : "\xA3"
                 "0.00",
         38, 51, 168, 47);
    Draw(s, Find(all, FileOf(CreditBlankImage)), 0, 567, 0);
    Text(s, font, 2,
         money ? "\xA3"
                 "12.50"
               : "\xA3"
                 "0.00",
         594, 51, 169, 52);
    Draw(s, Find(all, FileOf(MainMenuButtonSprite)), 0, 0, 443);
    Draw(s, Find(all, FileOf(RulesButtonSprite)), money ? 0 : 1, 307, 443);
    if (money)
        Draw(s, Find(all, FileOf(PlayButtonSprite)), 0, 607, 395);
    else
        Draw(s, Find(all, FileOf(InsertCoinsSprite)), 1, 607, 395);
    return s;
}

// Team grid slots, as the game places them.
std::vector<std::pair<int, int>> Slots() {
    std::vector<std::pair<int, int>> v;
    const int rows[6] = {59, 118, 178, 238, 297, 358};
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 10; ++c) {
            int x = c * 80;
            if (r == 3 && (c == 4 || c == 5)) continue;
            if (r >= 4 && c >= 3 && c <= 6) continue;
            v.push_back({x, rows[r]});
        }
    return v;
}

Image Question(const std::vector<Picture>& all, int timerFrame, bool warning, bool knockout) {
    Image s = Find(all, FileOf(GameBackgroundImage)).image;
    auto slots = Slots();
    for (int t = 0; t < 50; ++t) {
        bool out = t % 3 == 1;
        if (out)
            Draw(s, Find(all, FileOf(SmallTeamsOutSprite)), t, slots[t].first, slots[t].second,
                 true, 0.3);
        else
            Draw(s, Find(all, FileOf(SmallTeamsSprite)), t, slots[t].first, slots[t].second, true);
    }
    const Picture& box = Find(all, FileOf(MessagePanelSprite));
    Draw(s, Find(all, FileOf(PassButtonSprite)), 2, 6, 466);
    Draw(s, Find(all, FileOf(JokerButtonSprite)), 2, 670, 466);
    if (knockout) {
        const Picture& numbers = Find(all, FileOf(EliminationNumbersSprite));
        Draw(s, box, 29, 135, 430);
        Draw(s, numbers, 4, 189, 439);
        Draw(s, numbers, 37, 189, 509);
        return s;
    }
    Draw(s, box, 3, 135, 430);
    Draw(s, Find(all, FileOf(TrueButtonSprite)), 1, 493, 440);
    Draw(s, Find(all, FileOf(FalseButtonSprite)), 1, 493, 513);
    Text(s, Find(all, FileOf(Font2Image)), 2,
         "The Great Wall of China is visible from the Moon with the naked eye, according to "
         "astronauts.",
         155, 466, 315, 110);
    Draw(s, Find(all, FileOf(TimerSprite)), timerFrame, 576, 437, true);
    if (warning) Draw(s, box, 27, 205, 430, false, 1, 70, 0, 219, 36);
    return s;
}

Image Final(const std::vector<Picture>& all) {
    Image s = Find(all, FileOf(GameBackgroundImage)).image;
    const int spots[3][2] = {{43, 155}, {313, 100}, {583, 155}};
    const int teams[3] = {33, 35, 3};
    const int prizes[3] = {1, 2, 3};
    for (int q = 0; q < 3; ++q) {
        double o = q == 0 ? 0.3 : 1;
        const char* pic = q == 0 ? BigTeamsOutSprite : BigTeamsSprite;
        Draw(s, Find(all, FileOf(pic)), teams[q], spots[q][0], spots[q][1], true, o);
        Draw(s, Find(all, FileOf(SmallPrizesSprite)), prizes[q], spots[q][0] + 17, spots[q][1] - 42,
             true, o);
    }
    Draw(s, Find(all, FileOf(MessagePanelSprite)), 3, 135, 430);
    Draw(s, Find(all, FileOf(TrueButtonSprite)), 1, 493, 440);
    Draw(s, Find(all, FileOf(FalseButtonSprite)), 0, 493, 513);
    Text(s, Find(all, FileOf(Font2Image)), 2, "Paris is the capital of France.", 155, 466, 315,
         110);
    Draw(s, Find(all, FileOf(TimerSprite)), 0, 576, 437, true);
    return s;
}
}  // namespace

std::vector<Image> PreviewScreens(const std::vector<Picture>& all) {
    std::vector<Image> v;
    v.push_back(Menu(all, true));
    v.push_back(Menu(all, false));
    v.push_back(Question(all, 3, false, false));
    v.push_back(Question(all, 13, true, false));
    v.push_back(Question(all, 0, false, true));
    v.push_back(Final(all));
    return v;
}
