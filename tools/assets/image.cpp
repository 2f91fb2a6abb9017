#include "image.h"

#include <algorithm>
#include <cstring>

Canvas::Canvas(int w, int h) : w_(w), h_(h) {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cr_ = cairo_create(surface_);
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

Image Canvas::Finish() {
    cairo_surface_flush(surface_);
    Image img(w_, h_);
    const uint8_t* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    for (int y = 0; y < h_; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < w_; ++x) {
            uint32_t p = row[x];
            uint8_t a = p >> 24;
            uint8_t* o = img.At(x, y);
            o[3] = a;
            if (a == 0) {
                o[0] = o[1] = o[2] = 0;
                continue;
            }
            // Undo cairo's premultiplication, rounding to nearest.
            for (int c = 0; c < 3; ++c) {
                unsigned v = (p >> (16 - 8 * c)) & 0xFF;
                o[c] = uint8_t(std::min(255u, (v * 255 + a / 2) / a));
            }
        }
    }
    return img;
}

static uint8_t Mix(uint8_t top, uint8_t under, unsigned a) {
    return uint8_t((top * a + under * (255 - a) + 127) / 255);
}

Image KeyOnMagenta(const Image& src, Rgb edge, int threshold) {
    Image out(src.width, src.height);
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) {
            const uint8_t* s = src.At(x, y);
            uint8_t* o = out.At(x, y);
            o[3] = 255;
            if (s[3] < threshold) {
                o[0] = 255, o[1] = 0, o[2] = 255;
                continue;
            }
            o[0] = Mix(s[0], edge.r, s[3]);
            o[1] = Mix(s[1], edge.g, s[3]);
            o[2] = Mix(s[2], edge.b, s[3]);
            if (o[0] > 240 && o[1] < 16 && o[2] > 240) o[0] = 200, o[2] = 200;
        }
    return out;
}

Image Opaque(const Image& src, Rgb under) {
    return KeyOnMagenta(src, under, 0);
}

Image Stack(const std::vector<Image>& frames) {
    int w = frames.empty() ? 0 : frames[0].width;
    int h = 0;
    for (const Image& f : frames) h += f.height;
    Image out(w, h);
    int y = 0;
    for (const Image& f : frames) {
        Paste(out, f, 0, y);
        y += f.height;
    }
    return out;
}

void Paste(Image& dst, const Image& src, int x, int y) {
    for (int sy = 0; sy < src.height; ++sy) {
        int dy = y + sy;
        if (dy < 0 || dy >= dst.height) continue;
        for (int sx = 0; sx < src.width; ++sx) {
            int dx = x + sx;
            if (dx < 0 || dx >= dst.width) continue;
            std::memcpy(dst.At(dx, dy), src.At(sx, sy), 4);
        }
    }
}

Image Desaturate(const Image& src, double keep, double dim) {
    Image out = src;
    for (size_t i = 0; i < out.rgba.size(); i += 4) {
        uint8_t* p = &out.rgba[i];
        double grey = 0.3 * p[0] + 0.59 * p[1] + 0.11 * p[2];
        for (int c = 0; c < 3; ++c) {
            double v = (grey + (p[c] - grey) * keep) * dim;
            p[c] = uint8_t(std::clamp(v + 0.5, 0.0, 255.0));
        }
    }
    return out;
}

cairo_surface_t* ToSurface(const Image& img) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, img.width, img.height);
    cairo_surface_flush(s);
    uint8_t* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < img.height; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < img.width; ++x) {
            const uint8_t* p = img.At(x, y);
            unsigned a = p[3];
            auto pm = [a](unsigned v) { return (v * a + 127) / 255; };
            row[x] = (a << 24) | (pm(p[0]) << 16) | (pm(p[1]) << 8) | pm(p[2]);
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}
