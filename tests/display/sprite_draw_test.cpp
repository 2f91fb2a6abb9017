#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "display/sprites.h"
#include "platform/headless.h"
#include "support/headless_display.h"

namespace {
// One step of the screen's own precision per channel (5-6-5 at 16 bits), plus rounding.
double Tolerance(int bytes, int channel) {
    return bytes == 2 ? (channel == 1 ? 4.5 : 8.5) : 1.0;
}

class SpriteDraw : public SpriteDisplay {
  protected:
    void ExpectColour(int x, int y, double r, double g, double b) {
        Colour c = ScreenAt(x, y);
        SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
        EXPECT_NEAR(r, c.r, Tolerance(Bpp(), 0));
        EXPECT_NEAR(g, c.g, Tolerance(Bpp(), 1));
        EXPECT_NEAR(b, c.b, Tolerance(Bpp(), 2));
    }
};

TEST_P(SpriteDraw, PlainSpriteLeavesTheScreenAloneUnderMagenta) {
    SpritePicture button(4, 6);  // two frames of 4x3, magenta where not painted
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 4; ++x)
            if ((x + y) % 3) button.Set(x, y, {x * 60, y * 40, 30});
    WriteSpriteBmp("button.bmp", button);
    DisplaySurfacePtr sprite = LoadSprite("button.bmp", 2);
    ASSERT_TRUE(sprite);
    FillScreen({20, 140, 220});
    std::vector<uint8_t> before = ScreenBytes();
    Colour background = ScreenAt(0, 0);
    ASSERT_TRUE(
        DrawSprite(sprite.get(), GetFrameRect("button.bmp", 1), DisplayBackBuffer(), 100, 50));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            int fy = y + 3;  // frame 1
            if ((x + fy) % 3)
                ExpectColour(100 + x, 50 + y, x * 60, fy * 40, 30);
            else
                ExpectColour(100 + x, 50 + y, background.r, background.g, background.b);
        }
    }
    // Nothing outside the frame's rectangle changed.
    std::vector<uint8_t> after = ScreenBytes();
    int pitch = 800 * Bpp();
    for (int y = 0; y < 600; ++y) {
        if (y >= 50 && y < 53) {
            ASSERT_TRUE(std::equal(after.begin() + y * pitch,
                                   after.begin() + y * pitch + 100 * Bpp(),
                                   before.begin() + y * pitch));
            ASSERT_TRUE(std::equal(after.begin() + y * pitch + 104 * Bpp(),
                                   after.begin() + (y + 1) * pitch,
                                   before.begin() + y * pitch + 104 * Bpp()));
        } else {
            ASSERT_TRUE(std::equal(after.begin() + y * pitch, after.begin() + (y + 1) * pitch,
                                   before.begin() + y * pitch))
                << "row " << y;
        }
    }
}

TEST_P(SpriteDraw, AlphaSpriteCoversTheBackgroundByItsAlphaTimesOpacity) {
    const int alphas[] = {0, 51, 128, 200, 255};
    SpritePicture badge(5, 1);
    for (int i = 0; i < 5; ++i) badge.Set(i, 0, {250, 20, 100}, alphas[i]);
    WriteSpriteTga("badge.tga", badge);
    DisplaySurfacePtr sprite = LoadSprite("badge.tga");
    ASSERT_TRUE(sprite);
    for (float opacity : {1.0f, 0.3f}) {
        FillScreen({30, 200, 60});
        Colour bg = ScreenAt(0, 0);
        ASSERT_TRUE(DrawSprite(sprite.get(), GetFrameRect("badge.tga", 0), DisplayBackBuffer(), 10,
                               10, 1, 1, 0, true, opacity));
        for (int i = 0; i < 5; ++i) {
            double w = alphas[i] / 255.0 * opacity;
            SCOPED_TRACE(testing::Message() << "opacity " << opacity << " alpha " << alphas[i]);
            ExpectColour(10 + i, 10, 250 * w + bg.r * (1 - w), 20 * w + bg.g * (1 - w),
                         100 * w + bg.b * (1 - w));
        }
        ExpectColour(15, 10, bg.r, bg.g, bg.b);
    }
}

TEST_P(SpriteDraw, QuarterTurnAboutTheMiddleOfATwoPixelSprite) {
    SpritePicture pair(2, 1);
    pair.Set(0, 0, {255, 0, 0});
    pair.Set(1, 0, {0, 0, 255});
    WriteSpriteTga("pair.tga", pair);
    DisplaySurfacePtr sprite = LoadSprite("pair.tga");
    ASSERT_TRUE(sprite);
    FillScreen({0, 0, 0});
    std::vector<uint8_t> before = ScreenBytes();
    ASSERT_TRUE(
        DrawSprite(sprite.get(), nullptr, DisplayBackBuffer(), 300, 200, 1, 1, 90, true, 1.0f));
    // The middle is (1, 0) from the top left; turning clockwise stands the pair upright there.
    ExpectColour(300, 199, 255, 0, 0);
    ExpectColour(300, 200, 0, 0, 255);
    std::vector<uint8_t> after = ScreenBytes();
    size_t changed = 0;
    for (size_t i = 0; i < after.size(); i += Bpp())
        changed += !std::equal(after.begin() + i, after.begin() + i + Bpp(), before.begin() + i);
    EXPECT_EQ(2u, changed);
}

TEST_P(SpriteDraw, SpritePartlyOffScreenIsCutAtTheEdge) {
    SpritePicture block(6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) block.Set(x, y, {40 * x, 60 * y, 255}, 255);
    WriteSpriteTga("block.tga", block);
    WriteSpriteBmp("block.bmp", block);
    for (const char* path : {"block.tga", "block.bmp"}) {
        DisplaySurfacePtr sprite = LoadSprite(path);
        ASSERT_TRUE(sprite);
        bool alpha = path[6] == 't';
        const int corners[][2] = {{-3, -2}, {797, 598}, {-5, 300}};
        for (auto [x, y] : corners) {
            FillScreen({0, 0, 0});
            std::vector<uint8_t> before = ScreenBytes();
            EXPECT_TRUE(
                DrawSprite(sprite.get(), nullptr, DisplayBackBuffer(), x, y, 1, 1, 0, alpha, 1.0f));
            size_t changed = 0;
            std::vector<uint8_t> after = ScreenBytes();
            for (size_t i = 0; i < after.size(); i += Bpp())
                changed +=
                    !std::equal(after.begin() + i, after.begin() + i + Bpp(), before.begin() + i);
            int visible =
                (std::min(x + 6, 800) - std::max(x, 0)) * (std::min(y + 4, 600) - std::max(y, 0));
            EXPECT_EQ(static_cast<size_t>(visible), changed) << path << " at " << x << "," << y;
            int sx = std::max(x, 0) - x, sy = std::max(y, 0) - y;
            ExpectColour(std::max(x, 0), std::max(y, 0), 40 * sx, 60 * sy, 255);
        }
    }
}

TEST_P(SpriteDraw, DirectPathCopiesKeyedAndRefusesWhollyOffScreen) {
    SpritePicture glyph(3, 2);
    glyph.Set(1, 0, {10, 250, 10});
    glyph.Set(2, 1, {250, 250, 10});
    WriteSpriteBmp("glyph.bmp", glyph);
    DisplaySurfacePtr sprite = LoadSprite("glyph.bmp");
    ASSERT_TRUE(sprite);
    FillScreen({90, 90, 90});
    // Opacity 0 with no alpha, angle or gamma is a plain keyed copy.
    ASSERT_TRUE(DrawSprite(sprite.get(), nullptr, DisplayBackBuffer(), 798, 5, 1, 1, 0, false, 0));
    ExpectColour(798, 5, 90, 90, 90);
    ExpectColour(799, 5, 10, 250, 10);
    ExpectColour(799, 6, 90, 90, 90);
    EXPECT_FALSE(DrawSprite(sprite.get(), nullptr, DisplayBackBuffer(), 800, 5, 1, 1, 0, false, 0));
    EXPECT_FALSE(DrawSprite(sprite.get(), nullptr, DisplayBackBuffer(), 5, -3, 1, 1, 0, false, 0));
}

TEST_P(SpriteDraw, StripWithoutAFrameRectangleDrawsEveryFrame) {
    SpritePicture strip(2, 4);
    for (int y = 0; y < 4; ++y) strip.Set(0, y, {60 * y, 0, 0});
    WriteSpriteBmp("strip.bmp", strip);
    DisplaySurfacePtr sprite = LoadSprite("strip.bmp", 2);
    ASSERT_TRUE(sprite);
    const RECT* none = GetFrameRect("strip.bmp", 2);
    EXPECT_EQ(nullptr, none);
    FillScreen({0, 0, 0});
    ASSERT_TRUE(DrawSprite(sprite.get(), none, DisplayBackBuffer(), 0, 0));
    for (int y = 0; y < 4; ++y) ExpectColour(0, y, 60 * y, 0, 0);
}

TEST_P(SpriteDraw, NullSurfacesAndBadRectanglesDrawNothing) {
    SpritePicture one(2, 2, {1, 2, 3});
    WriteSpriteTga("one.tga", one);
    DisplaySurfacePtr sprite = LoadSprite("one.tga");
    ASSERT_TRUE(sprite);
    FillScreen({5, 5, 5});
    std::vector<uint8_t> before = ScreenBytes();
    EXPECT_FALSE(DrawSprite(nullptr, nullptr, DisplayBackBuffer(), 0, 0));
    EXPECT_FALSE(DrawSprite(sprite.get(), nullptr, nullptr, 0, 0));
    RECT outside{0, 1, 2, 3};
    EXPECT_FALSE(DrawSprite(sprite.get(), &outside, DisplayBackBuffer(), 0, 0, 1, 1, 0, true, 1));
    InjectSurfaceResult(*sprite, SurfaceOp::Lock, DDERR_SURFACELOST);
    EXPECT_FALSE(DrawSprite(sprite.get(), nullptr, DisplayBackBuffer(), 0, 0));
    EXPECT_FALSE(DrawSprite(sprite.get(), nullptr, DisplayBackBuffer(), 2000000000, 2000000000));
    EXPECT_EQ(before, ScreenBytes());
}

INSTANTIATE_TEST_SUITE_P(Depths, SpriteDraw, testing::Values(32, 24, 16), DepthName);
}  // namespace
