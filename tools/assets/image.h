// Pictures in memory: straight-alpha RGBA pixels, drawn with cairo and written by the encoders.
#pragma once
#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};
constexpr Rgb kMagenta{255, 0, 255};

// Colour from 0xRRGGBB.
constexpr Rgb Hex(uint32_t v) {
    return Rgb{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // straight (not premultiplied) alpha, rows top to bottom

    Image() = default;
    Image(int w, int h) : width(w), height(h), rgba(size_t(w) * h * 4, 0) {}
    uint8_t* At(int x, int y) { return &rgba[(size_t(y) * width + x) * 4]; }
    const uint8_t* At(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

// A cairo surface with its drawing context; Finish() hands back the picture.
class Canvas {
  public:
    Canvas(int w, int h);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    cairo_t* cr() const { return cr_; }
    int width() const { return w_; }
    int height() const { return h_; }
    Image Finish();

  private:
    int w_, h_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

// Makes every pixel opaque: pixels whose coverage is below `threshold` (0..255) become magenta,
// the others are blended over `edge`, the colour the picture will be drawn on. A pixel that comes
// out as exact magenta by chance is nudged so that it stays visible.
Image KeyOnMagenta(const Image& src, Rgb edge, int threshold = 128);
// Blends every pixel over a solid colour (a fully opaque picture).
Image Opaque(const Image& src, Rgb under);
// Stacks pictures of equal width top to bottom (the frames of a strip).
Image Stack(const std::vector<Image>& frames);
// Copies `src` into `dst` at (x, y), replacing pixels (no blending), clipped to `dst`.
void Paste(Image& dst, const Image& src, int x, int y);
// Grey, darker version (for knocked-out looks).
Image Desaturate(const Image& src, double keep, double dim);
// A cairo surface that wraps a copy of the picture, for drawing it inside another canvas.
cairo_surface_t* ToSurface(const Image& img);
