// The review sheet: every frame of every picture, labelled, on one page.
#include <algorithm>

#include "assets.h"
#include "cairo_draw.h"

Bytes EncodePicture(const Picture& p) {
    switch (p.format) {
        case PictureFormat::Bmp:
            return EncodeBmp(p.image);
        case PictureFormat::Tga:
            return EncodeTga(p.image, true);
        case PictureFormat::TgaRaw:
            return EncodeTga(p.image, false);
        case PictureFormat::Pcx:
            return EncodePcx(p.image);
    }
    return {};
}

namespace {
constexpr int kSheetWidth = 2400, kGap = 6, kLabel = 22;

struct Placement {
    const Picture* picture;
    int frame;
    int x, y;
};

// Lays the frames out in rows; returns the sheet height.
int Layout(const std::vector<Picture>& pictures, std::vector<Placement>& places,
           std::vector<std::pair<std::string, int>>& labels) {
    int y = kGap;
    for (const Picture& p : pictures) {
        labels.push_back({p.path + "  (" + std::to_string(p.frames) + " frames, " +
                              std::to_string(p.image.width) + " x " +
                              std::to_string(p.image.height / p.frames) + ")",
                          y});
        y += kLabel;
        int fh = p.image.height / p.frames;
        int x = kGap;
        for (int f = 0; f < p.frames; ++f) {
            if (x + p.image.width > kSheetWidth && x > kGap) {
                x = kGap;
                y += fh + kGap;
            }
            places.push_back({&p, f, x, y});
            x += p.image.width + kGap;
        }
        y += fh + kGap * 3;
    }
    return y;
}
}  // namespace

Image ContactSheet(const std::vector<Picture>& all) {
    // The screen mock-ups come first, as pictures of their own.
    std::vector<Picture> pictures;
    int n = 0;
    for (Image& screen : PreviewScreens(all))
        pictures.push_back(
            {"screen mock-up " + std::to_string(++n), PictureFormat::Bmp, 1, std::move(screen)});
    pictures.insert(pictures.end(), all.begin(), all.end());
    std::vector<Placement> places;
    std::vector<std::pair<std::string, int>> labels;
    int height = Layout(pictures, places, labels);
    Canvas c(kSheetWidth, height);
    cairo_t* cr = c.cr();
    SetColour(cr, Hex(0x808890));
    cairo_paint(cr);
    SetFont(cr, Face::SansBold, 15);
    for (const auto& [text, y] : labels) {
        SetColour(cr, Colour::Black);
        DrawText(cr, text, kGap, y + 16, Align::Left);
    }
    for (const Placement& pl : places) {
        const Image& img = pl.picture->image;
        int fh = img.height / pl.picture->frames;
        // A checkerboard shows through transparent pixels of alpha pictures.
        for (int yy = 0; yy < fh; yy += 8)
            for (int xx = 0; xx < img.width; xx += 8) {
                bool dark = ((xx + yy) / 8) % 2;
                cairo_set_source_rgb(cr, dark ? 0.55 : 0.75, dark ? 0.55 : 0.75,
                                     dark ? 0.55 : 0.75);
                cairo_rectangle(cr, pl.x + xx, pl.y + yy, std::min(8, img.width - xx),
                                std::min(8, fh - yy));
                cairo_fill(cr);
            }
        Image frame(img.width, fh);
        Paste(frame, img, 0, -pl.frame * fh);
        DrawImage(cr, frame, pl.x, pl.y);
    }
    return Opaque(c.Finish(), Colour::Black);
}
