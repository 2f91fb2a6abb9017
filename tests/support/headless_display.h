// A headless display at each depth for tests that draw: brought up at depth GetParam() (32, 24
// or 16, the higher depths refused as invalid modes) before each test and taken down after it,
// with helpers that read and write its pixels.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display/display.h"
#include "support/picture_files.h"
#include "support/scratch.h"

class DisplayAtDepth : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override;
    void TearDown() override;
    int Depth() const { return GetParam(); }
    int Bpp() const { return GetParam() / 8; }
    // The display-format value of an RGB colour at this depth.
    uint32_t Pixel(uint8_t r, uint8_t g, uint8_t b) const;
    // The back buffer's pixel at (x, y) widened to 8 bits per channel.
    Colour ScreenAt(int x, int y);
    // Fills the back buffer with one colour.
    void FillScreen(Colour c);
    // A copy of the back buffer's pixels (rows packed).
    std::vector<uint8_t> ScreenBytes();
};

// The same display in a scratch working directory, for tests that write picture files.
class SpriteDisplay : public DisplayAtDepth {
  protected:
    void SetUp() override;
    void TearDown() override;
    std::unique_ptr<ScratchDir> scratch_;
};

uint32_t PixelAt(DisplaySurface& surface, int x, int y);
void SetPixel(DisplaySurface& surface, int x, int y, uint32_t value);
// Fills a rectangle of a surface with one value.
void FillRect(DisplaySurface& surface, RECT r, uint32_t value);
// Forces the next InitDisplay to come up at depth (refusing the depths above it).
void RefuseModesAbove(int depth);
// The depth's name for parameterised test names.
std::string DepthName(const testing::TestParamInfo<int>& info);
