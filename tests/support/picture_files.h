// Picture files written by the tests themselves, and the pixel conversions they check against.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "support/scratch.h"

// An RGB picture, rows top to bottom, three bytes red, green, blue a pixel.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b);
};
// A picture of varied colours (position-dependent), with magenta at every seventh pixel.
RgbPicture PatternPicture(int width, int height, unsigned seed);

// A 24-bit BMP of the picture, rows padded to four bytes, stored bottom-up (or top-down, with a
// negative height).
std::vector<uint8_t> EncodeBmp(const RgbPicture& picture, bool topDown = false);
// A picture with straight alpha, for sprites: colours 0-255 a channel, top row first.
struct Colour {
    int r, g, b;
};
struct SpritePicture {
    int width = 0, height = 0;
    std::vector<Colour> colour;
    std::vector<int> alpha;
    SpritePicture(int w, int h, Colour fill = {255, 0, 255}, int a = 255)
        : width(w),
          height(h),
          colour(static_cast<size_t>(w) * h, fill),
          alpha(static_cast<size_t>(w) * h, a) {}
    void Set(int x, int y, Colour c, int a = 255) {
        colour[static_cast<size_t>(y) * width + x] = c;
        alpha[static_cast<size_t>(y) * width + x] = a;
    }
};
// An uncompressed 32-bit bottom-up TGA of the picture.
std::vector<uint8_t> EncodeTga(const SpritePicture& picture);
// Writes the picture as a 24-bit BMP (alpha dropped) or as a 32-bit TGA.
void WriteSpriteBmp(const std::string& path, const SpritePicture& picture);
void WriteSpriteTga(const std::string& path, const SpritePicture& picture);

// A version 5, 8-bit, three-plane run-length PCX; runs never cross a plane's end.
std::vector<uint8_t> EncodePcx(const RgbPicture& picture);
// A PCX header for width x height with three planes, without pixel data.
std::vector<uint8_t> PcxHeader(int width, int height);

// The display-format pixel of (r, g, b) at depth 16, 24 or 32 (fourth byte zero), as bytes.
std::vector<uint8_t> DisplayBytes(uint8_t r, uint8_t g, uint8_t b, int depth);
// ImageMagick's reading of a picture file as RGB bytes; false when it is not installed or fails.
bool ImageMagickRgb(const std::string& path, int width, int height, std::vector<uint8_t>& rgb);
