// Picture files written by the tests themselves, and the pixel conversions they check against.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// An RGB picture, rows top to bottom, three bytes red, green, blue a pixel.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b);
};
// A picture of varied colours (position-dependent), with magenta at every seventh pixel.
RgbPicture PatternPicture(int width, int height, unsigned seed);

// A 24-bit BMP (bottom-up rows padded to four bytes) of the picture.
std::vector<uint8_t> EncodeBmp(const RgbPicture& picture);
// A version 5, 8-bit, three-plane run-length PCX; runs never cross a plane's end.
std::vector<uint8_t> EncodePcx(const RgbPicture& picture);
// A PCX header for width x height with three planes, without pixel data.
std::vector<uint8_t> PcxHeader(int width, int height);

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// The display-format pixel of (r, g, b) at depth 16, 24 or 32 (fourth byte zero), as bytes.
std::vector<uint8_t> DisplayBytes(uint8_t r, uint8_t g, uint8_t b, int depth);
// ImageMagick's reading of a picture file as RGB bytes; false when it is not installed or fails.
bool ImageMagickRgb(const std::string& path, int width, int height, std::vector<uint8_t>& rgb);
