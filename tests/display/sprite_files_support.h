// Sprite test helpers: a headless display at a chosen depth, and sprite files written by the
// tests (24-bit BMP and 32-bit TGA) into a scratch working directory.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display/display.h"
#include "support/scratch_dir.h"

struct Colour {
    int r, g, b;
};

// A picture of straight-alpha pixels, top row first.
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

// Writes the picture as a 24-bit bottom-up BMP (alpha dropped).
void WriteSpriteBmp(const std::string& path, const SpritePicture& picture);
// Writes the picture as an uncompressed 32-bit bottom-up TGA.
void WriteSpriteTga(const std::string& path, const SpritePicture& picture);
void WriteSpriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

// A headless display at depth GetParam() (32, 24 or 16), in a scratch working directory.
class SpriteDisplay : public testing::TestWithParam<int> {
  protected:
    void SetUp() override;
    void TearDown() override;
    int Bytes() const { return GetParam() / 8; }
    // The back buffer's pixel at (x, y) widened to 8 bits per channel.
    Colour ScreenAt(int x, int y);
    // Fills the back buffer with one colour.
    void FillScreen(Colour c);
    // A copy of the back buffer's pixels (rows packed).
    std::vector<uint8_t> ScreenBytes();
    std::unique_ptr<ScratchDir> scratch_;
};

// The depth's name for parameterised test names.
std::string DepthName(const testing::TestParamInfo<int>& info);
