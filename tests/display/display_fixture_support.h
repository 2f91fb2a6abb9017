// A headless display at a chosen depth for the display tests, with pixel helpers.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>

#include "display/display.h"

// Brings the headless display up at depth 32, 24 or 16 (the higher depths refused as invalid
// modes) and takes it down afterwards.
class DisplayAtDepth : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override;
    void TearDown() override;
    int Depth() const { return GetParam(); }
    int Bpp() const { return GetParam() / 8; }
    // The display-format value of an RGB colour at this depth.
    uint32_t Colour(uint8_t r, uint8_t g, uint8_t b) const;
};

uint32_t PixelAt(DisplaySurface& surface, int x, int y);
void SetPixel(DisplaySurface& surface, int x, int y, uint32_t value);
// Fills a rectangle of a surface with one value.
void FillRect(DisplaySurface& surface, RECT r, uint32_t value);
// Forces the next InitDisplay to come up at depth (refusing the depths above it).
void RefuseModesAbove(int depth);
