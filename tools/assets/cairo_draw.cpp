#include "cairo_draw.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <sstream>

namespace {
struct Faces {
    FT_Library library = nullptr;
    FT_Face ft[6] = {};
    cairo_font_face_t* cairo[6] = {};
};
Faces gFaces;

const char* const kFaceFiles[6] = {
    "DejaVuSans.ttf",          "DejaVuSans-Bold.ttf", "DejaVuSansMono.ttf",
    "DejaVuSansMono-Bold.ttf", "DejaVuSerif.ttf",     "DejaVuSerif-Bold.ttf",
};
}  // namespace

bool LoadFaces() {
    if (gFaces.library) return true;
    if (FT_Init_FreeType(&gFaces.library)) return false;
    for (int i = 0; i < 6; ++i) {
        std::string path = std::string("/usr/share/fonts/truetype/dejavu/") + kFaceFiles[i];
        if (FT_New_Face(gFaces.library, path.c_str(), 0, &gFaces.ft[i])) {
            std::fprintf(stderr, "brindlemark-assets: cannot load font %s\n", path.c_str());
            return false;
        }
        gFaces.cairo[i] = cairo_ft_font_face_create_for_ft_face(gFaces.ft[i], 0);
    }
    return true;
}

void ReleaseFaces() {
    for (int i = 0; i < 6; ++i) {
        if (gFaces.cairo[i]) cairo_font_face_destroy(gFaces.cairo[i]);
        gFaces.cairo[i] = nullptr;
        gFaces.ft[i] = nullptr;
    }
    // Cairo keeps fonts in caches; empty them before the faces go (this also frees the faces).
    cairo_debug_reset_static_data();
    if (gFaces.library) FT_Done_FreeType(gFaces.library);
    gFaces.library = nullptr;
}

void SetColour(cairo_t* cr, Rgb c, double alpha) {
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha);
}

void SetFont(cairo_t* cr, Face face, double size) {
    cairo_set_font_face(cr, gFaces.cairo[int(face)]);
    cairo_set_font_size(cr, size);
    cairo_font_options_t* opt = cairo_font_options_create();
    cairo_font_options_set_antialias(opt, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(opt, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(opt, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, opt);
    cairo_font_options_destroy(opt);
}

double TextWidth(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e.x_advance;
}

static double AlignedX(cairo_t* cr, const std::string& text, double x, Align align) {
    if (align == Align::Left) return x;
    double w = TextWidth(cr, text);
    return align == Align::Centre ? x - w / 2 : x - w;
}

void DrawText(cairo_t* cr, const std::string& text, double x, double y, Align align) {
    cairo_move_to(cr, AlignedX(cr, text, x, align), y);
    cairo_show_text(cr, text.c_str());
    cairo_new_path(cr);
}

void DrawOutlinedText(cairo_t* cr, const std::string& text, double x, double y, Align align,
                      Rgb fill, Rgb edge, double outline) {
    cairo_move_to(cr, AlignedX(cr, text, x, align), y);
    cairo_text_path(cr, text.c_str());
    SetColour(cr, edge);
    cairo_set_line_width(cr, outline * 2);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    SetColour(cr, fill);
    cairo_fill(cr);
}

std::vector<std::string> WrapText(cairo_t* cr, const std::string& text, double width) {
    std::vector<std::string> lines;
    std::stringstream paragraphs(text);
    std::string para;
    while (std::getline(paragraphs, para, '\n')) {
        std::stringstream words(para);
        std::string word, line;
        while (words >> word) {
            std::string trial = line.empty() ? word : line + " " + word;
            if (!line.empty() && TextWidth(cr, trial) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = trial;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

int DrawParagraph(cairo_t* cr, const std::string& text, double x, double y, double w, double h,
                  double lineHeight, Align align, bool centreBlock) {
    std::vector<std::string> lines = WrapText(cr, text, w);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    double top = y;
    if (centreBlock) top = y + (h - lineHeight * double(lines.size())) / 2;
    double baseline = top + (lineHeight + fe.ascent - fe.descent) / 2;
    double ax = align == Align::Left ? x : align == Align::Centre ? x + w / 2 : x + w;
    for (const std::string& line : lines) {
        DrawText(cr, line, ax, std::round(baseline), align);
        baseline += lineHeight;
    }
    return int(lines.size());
}

double FitSize(cairo_t* cr, Face face, const std::string& text, double width, double size,
               double minSize) {
    for (; size > minSize; size -= 0.5) {
        SetFont(cr, face, size);
        if (TextWidth(cr, text) <= width) return size;
    }
    SetFont(cr, face, minSize);
    return minSize;
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void FillVertical(cairo_t* cr, double x, double y, double w, double h, Rgb top, Rgb bottom) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgb(p, 0, top.r / 255.0, top.g / 255.0, top.b / 255.0);
    cairo_pattern_add_color_stop_rgb(p, 1, bottom.r / 255.0, bottom.g / 255.0, bottom.b / 255.0);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void Panel(cairo_t* cr, double x, double y, double w, double h, double r, Rgb top, Rgb bottom,
           Rgb rim, double rimWidth) {
    RoundedRect(cr, x, y, w, h, r);
    SetColour(cr, rim);
    cairo_fill(cr);
    double i = rimWidth;
    RoundedRect(cr, x + i, y + i, w - 2 * i, h - 2 * i, std::max(1.0, r - i));
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y + i, 0, y + h - i);
    cairo_pattern_add_color_stop_rgb(p, 0, top.r / 255.0, top.g / 255.0, top.b / 255.0);
    cairo_pattern_add_color_stop_rgb(p, 1, bottom.r / 255.0, bottom.g / 255.0, bottom.b / 255.0);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // A thin highlight along the top inside edge.
    RoundedRect(cr, x + i + 0.5, y + i + 0.5, w - 2 * i - 1, h - 2 * i - 1, std::max(1.0, r - i));
    cairo_set_source_rgba(cr, 1, 1, 1, 0.18);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void WoodGrain(cairo_t* cr, double x, double y, double w, double h, Rgb base, unsigned seed) {
    SetColour(cr, base);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    unsigned s = seed * 2654435761u + 1;
    auto rnd = [&s]() {
        s = s * 1664525u + 1013904223u;
        return double(s >> 8) / double(1u << 24);
    };
    int streaks = int(h / 3) + 4;
    for (int i = 0; i < streaks; ++i) {
        double yy = y + rnd() * h;
        double amp = 1 + rnd() * 3;
        double wave = 40 + rnd() * 160;
        double phase = rnd() * 6.28;
        bool dark = rnd() < 0.6;
        cairo_set_source_rgba(cr, dark ? 0 : 1, dark ? 0 : 0.9, dark ? 0 : 0.7,
                              dark ? 0.10 + 0.12 * rnd() : 0.04 + 0.05 * rnd());
        cairo_set_line_width(cr, 0.6 + rnd() * 1.6);
        cairo_move_to(cr, x, yy + amp * std::sin(phase));
        for (double xx = x; xx <= x + w; xx += 8)
            cairo_line_to(cr, xx, yy + amp * std::sin(phase + (xx - x) / wave * 6.28));
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void Star(cairo_t* cr, double cx, double cy, double outer, double inner) {
    for (int i = 0; i < 10; ++i) {
        double a = -M_PI / 2 + i * M_PI / 5;
        double r = (i % 2) ? inner : outer;
        if (i == 0)
            cairo_move_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
        else
            cairo_line_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
    }
    cairo_close_path(cr);
}

void DrawImage(cairo_t* cr, const Image& img, double x, double y, double opacity) {
    cairo_surface_t* s = ToSurface(img);
    cairo_set_source_surface(cr, s, x, y);
    if (opacity >= 1)
        cairo_paint(cr);
    else
        cairo_paint_with_alpha(cr, opacity);
    cairo_surface_destroy(s);
}
