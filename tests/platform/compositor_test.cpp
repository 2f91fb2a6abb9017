#include "platform/compositor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {
struct Rgb {
    int r, g, b;
};

// A destination of any depth with spare bytes at the end of every row and after the last, so
// that writes outside the picture show.
struct Canvas {
    static constexpr uint8_t kGuard = 0xA5;
    int width, height, bytes, pitch;
    std::vector<uint8_t> memory;

    Canvas(int w, int h, int b) : width(w), height(h), bytes(b), pitch(w * b + 12) {
        memory.assign(static_cast<size_t>(pitch) * h + 64, kGuard);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) Set(x, y, {0, 0, 0});
    }
    PixelView View() { return PixelView{memory.data(), pitch, width, height, bytes}; }
    uint8_t* At(int x, int y) { return memory.data() + y * pitch + x * bytes; }
    void Set(int x, int y, Rgb c) {
        uint8_t* p = At(x, y);
        if (bytes == 2) {
            int v = ((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3);
            p[0] = static_cast<uint8_t>(v), p[1] = static_cast<uint8_t>(v >> 8);
        } else {
            p[0] = static_cast<uint8_t>(c.b), p[1] = static_cast<uint8_t>(c.g),
            p[2] = static_cast<uint8_t>(c.r);
            if (bytes == 4) p[3] = 0x5A;
        }
    }
    void Fill(Rgb c) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) Set(x, y, c);
    }
    // The pixel widened to 8 bits per channel.
    Rgb Get(int x, int y) {
        uint8_t* p = At(x, y);
        if (bytes == 2) {
            int v = p[0] | (p[1] << 8);
            int r = v >> 11, g = (v >> 5) & 63, b = v & 31;
            return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
        }
        return {p[2], p[1], p[0]};
    }
    bool GuardsIntact() {
        for (int y = 0; y < height; ++y)
            for (int i = width * bytes; i < pitch; ++i)
                if (memory[static_cast<size_t>(y) * pitch + i] != kGuard) return false;
        for (size_t i = static_cast<size_t>(pitch) * height; i < memory.size(); ++i)
            if (memory[i] != kGuard) return false;
        return true;
    }
};

// A 32-bit source picture: blue, green, red, alpha per pixel.
struct Picture {
    int width, height;
    std::vector<uint8_t> pixels;
    Picture(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 4, 0) {}
    void Set(int x, int y, Rgb c, int a) {
        uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
        p[0] = static_cast<uint8_t>(c.b), p[1] = static_cast<uint8_t>(c.g),
        p[2] = static_cast<uint8_t>(c.r), p[3] = static_cast<uint8_t>(a);
    }
    CompositorBitmap Bitmap(bool alpha) const {
        return WrapPixels(pixels.data(), width, height, width * 4, alpha);
    }
    CompositorRect Whole() const {
        return {0, 0, static_cast<float>(width), static_cast<float>(height)};
    }
};

CompositorRect At(int x, int y, const Picture& p) {
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(p.width),
            static_cast<float>(p.height)};
}

// Tolerance of one step of the destination's own precision.
int Step(int bytes, int channel) {
    return bytes == 2 ? (channel == 1 ? 4 : 8) : 1;
}

void ExpectNear(const Canvas& c, Rgb got, double r, double g, double b) {
    EXPECT_NEAR(got.r, r, Step(c.bytes, 0) + 0.5);
    EXPECT_NEAR(got.g, g, Step(c.bytes, 1) + 0.5);
    EXPECT_NEAR(got.b, b, Step(c.bytes, 2) + 0.5);
}

class CompositorDepth : public testing::TestWithParam<int> {};

TEST_P(CompositorDepth, KeyedOpaquePictureSkipsMagentaAndCopiesTheRest) {
    Canvas canvas(6, 4, GetParam());
    canvas.Fill({10, 200, 30});
    Picture p(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            p.Set(x, y, (x + y) % 2 ? Rgb{255, 0, 255} : Rgb{x * 60, 100, 250 - y * 40}, 0);
    Canvas before = canvas;
    DrawAttributes keyed;
    keyed.colourKey = true;
    keyed.keyLow = keyed.keyHigh = 0x00FF00FF;
    ASSERT_TRUE(CompositorDraw(canvas.View(), p.Bitmap(false), At(1, 1, p), p.Whole(), keyed));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            int sx = x - 1, sy = y - 1;
            bool inside = sx >= 0 && sx < 4 && sy >= 0 && sy < 2;
            if (!inside || (sx + sy) % 2) {
                EXPECT_EQ(0, std::memcmp(canvas.At(x, y), before.At(x, y), canvas.bytes))
                    << x << "," << y;
            } else {
                Canvas one(1, 1, canvas.bytes);
                one.Set(0, 0, {sx * 60, 100, 250 - sy * 40});
                EXPECT_EQ(0, std::memcmp(canvas.At(x, y), one.At(0, 0),
                                         canvas.bytes == 4 ? 3 : canvas.bytes))
                    << x << "," << y;
            }
        }
    }
    EXPECT_TRUE(canvas.GuardsIntact());
}

TEST_P(CompositorDepth, AlphaPictureBlendsOverBackgroundAtFullAndReducedOpacity) {
    const Rgb background{40, 120, 200};
    const Rgb colour{250, 30, 90};
    const int alphas[] = {0, 1, 64, 128, 200, 254, 255};
    for (float opacity : {1.0f, 0.3f}) {
        Canvas canvas(7, 1, GetParam());
        canvas.Fill(background);
        Rgb bg = canvas.Get(0, 0);  // the background as the destination holds it
        Picture p(7, 1);
        for (int i = 0; i < 7; ++i) p.Set(i, 0, colour, alphas[i]);
        DrawAttributes attributes;
        attributes.opacity = opacity;
        ASSERT_TRUE(
            CompositorDraw(canvas.View(), p.Bitmap(true), At(0, 0, p), p.Whole(), attributes));
        for (int i = 0; i < 7; ++i) {
            double w = alphas[i] / 255.0 * opacity;
            SCOPED_TRACE(testing::Message() << "alpha " << alphas[i] << " opacity " << opacity);
            ExpectNear(canvas, canvas.Get(i, 0), colour.r * w + bg.r * (1 - w),
                       colour.g * w + bg.g * (1 - w), colour.b * w + bg.b * (1 - w));
        }
        EXPECT_TRUE(canvas.GuardsIntact());
    }
}

TEST_P(CompositorDepth, PictureHalfOffEveryEdgeIsCutAtTheEdge) {
    const int bytes = GetParam();
    Picture p(5, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) p.Set(x, y, {x * 50, y * 60, 255}, 255);
    const int positions[][2] = {{-3, 1}, {3, 1}, {1, -2}, {1, 3}, {-4, -3}, {4, 3}, {-9, 0}};
    for (auto [px, py] : positions) {
        Canvas canvas(6, 5, bytes);
        ASSERT_TRUE(CompositorDraw(canvas.View(), p.Bitmap(true), At(px, py, p), p.Whole(), {}));
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 6; ++x) {
                int sx = x - px, sy = y - py;
                bool inside = sx >= 0 && sx < 5 && sy >= 0 && sy < 4;
                Rgb want = inside ? Rgb{sx * 50, sy * 60, 255} : Rgb{0, 0, 0};
                SCOPED_TRACE(testing::Message()
                             << "at " << px << "," << py << " pixel " << x << "," << y);
                ExpectNear(canvas, canvas.Get(x, y), want.r, want.g, want.b);
            }
        }
        EXPECT_TRUE(canvas.GuardsIntact());
    }
}

TEST_P(CompositorDepth, QuarterTurnAboutTheMiddleStandsAWidePictureUpright) {
    Canvas canvas(5, 5, GetParam());
    Canvas before = canvas;
    Picture p(2, 1);
    p.Set(0, 0, {255, 0, 0}, 255);
    p.Set(1, 0, {0, 0, 255}, 255);
    DrawAttributes turn;
    turn.angle = 90;
    turn.pivotX = 2 + 1;  // the middle of a 2x1 picture drawn at (2, 2): (width >> 1, height >> 1)
    turn.pivotY = 2 + 0;
    ASSERT_TRUE(CompositorDraw(canvas.View(), p.Bitmap(true), At(2, 2, p), p.Whole(), turn));
    // Clockwise about (3, 2): the left pixel goes above the pivot, the right one below it.
    Rgb top = canvas.Get(2, 1), bottom = canvas.Get(2, 2);
    EXPECT_EQ(255, top.r);
    EXPECT_EQ(0, top.b);
    EXPECT_EQ(0, bottom.r);
    EXPECT_EQ(255, bottom.b);
    int changed = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            changed += std::memcmp(canvas.At(x, y), before.At(x, y), canvas.bytes) != 0;
    EXPECT_EQ(2, changed);
}

INSTANTIATE_TEST_SUITE_P(Depths, CompositorDepth, testing::Values(4, 3, 2),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param * 8) + "Bits";
                         });

TEST(Compositor, RoundingIsNearestWholeOfTheExactQuotient) {
    for (uint32_t x = 0; x <= 255 * 255; ++x) {
        uint32_t nearest = (2 * x + 255) / 510;  // floor(x / 255 + 1/2)
        ASSERT_EQ(nearest, Div255(x)) << x;
    }
}

// The four-at-a-time path against the documented arithmetic, for every mix of alpha, key and
// opacity, on rows whose lengths are not multiples of four.
TEST(Compositor, WideRowsMatchTheBlendFormulaExactly) {
    std::mt19937 random(7);
    for (int mode = 0; mode < 8; ++mode) {
        bool alpha = mode & 1, key = mode & 2;
        float opacity = (mode & 4) ? 0.55f : 1.0f;
        uint32_t op = static_cast<uint32_t>(std::lround(opacity * 255));
        Picture p(23, 3);
        for (auto& byte : p.pixels) byte = static_cast<uint8_t>(random());
        for (int i = 0; i < 23 * 3; i += 5) p.Set(i % 23, i / 23, {255, 0, 255}, 255);
        for (int i = 2; i < 23 * 3; i += 7) p.pixels[i * 4 + 3] = (i % 2) ? 0 : 255;
        Canvas canvas(25, 3, 4);
        for (auto& byte : canvas.memory) byte = static_cast<uint8_t>(random());
        Canvas before = canvas;
        DrawAttributes attributes;
        attributes.opacity = opacity;
        attributes.colourKey = key;
        attributes.keyLow = 0x00F000F0;
        attributes.keyHigh = 0x00FF10FF;
        ASSERT_TRUE(
            CompositorDraw(canvas.View(), p.Bitmap(alpha), At(1, 0, p), p.Whole(), attributes));
        for (int y = 0; y < 3; ++y) {
            for (int x = 1; x < 24; ++x) {
                const uint8_t* s = &p.pixels[(y * 23 + x - 1) * 4];
                const uint8_t* d = before.At(x, y);
                bool keyed = key && s[0] >= 0xF0 && s[1] <= 0x10 && s[2] >= 0xF0;
                uint32_t a = keyed ? 0 : Div255((alpha ? s[3] : 255u) * op);
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(Div255(s[c] * a + d[c] * (255 - a)), canvas.At(x, y)[c])
                        << "mode " << mode << " pixel " << x << "," << y;
            }
            EXPECT_EQ(0, std::memcmp(canvas.At(0, y), before.At(0, y), 4));
            EXPECT_EQ(0, std::memcmp(canvas.At(24, y), before.At(24, y), 4));
        }
    }
}

TEST(Compositor, StretchRepeatsSourcePixels) {
    Canvas canvas(4, 2, 4);
    Picture p(2, 1);
    p.Set(0, 0, {200, 0, 0}, 255);
    p.Set(1, 0, {0, 0, 200}, 255);
    ASSERT_TRUE(CompositorDraw(canvas.View(), p.Bitmap(false), {0, 0, 4, 2}, p.Whole(), {}));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(x < 2 ? 200 : 0, canvas.Get(x, y).r);
}

TEST(Compositor, PartOfTheSourceIsDrawnFromItsOwnCorner) {
    Canvas canvas(3, 3, 4);
    Picture p(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) p.Set(x, y, {x * 10, y * 10, 0}, 255);
    ASSERT_TRUE(CompositorDraw(canvas.View(), p.Bitmap(true), {1, 1, 2, 2}, {2, 1, 2, 2}, {}));
    EXPECT_EQ(20, canvas.Get(1, 1).r);
    EXPECT_EQ(10, canvas.Get(1, 1).g);
    EXPECT_EQ(30, canvas.Get(2, 2).r);
    EXPECT_EQ(20, canvas.Get(2, 2).g);
    EXPECT_EQ(0, canvas.Get(0, 0).r);
}

TEST(Compositor, GammaDarkensMidtonesAndKeepsTheEnds) {
    Canvas canvas(3, 1, 4);
    Picture p(3, 1);
    p.Set(0, 0, {0, 0, 0}, 255);
    p.Set(1, 0, {128, 128, 128}, 255);
    p.Set(2, 0, {255, 255, 255}, 255);
    DrawAttributes attributes;
    attributes.gamma = 2.0f;
    ASSERT_TRUE(CompositorDraw(canvas.View(), p.Bitmap(false), At(0, 0, p), p.Whole(), attributes));
    EXPECT_EQ(0, canvas.Get(0, 0).r);
    EXPECT_NEAR(255 * std::pow(128 / 255.0, 2.0), canvas.Get(1, 0).g, 1.0);
    EXPECT_EQ(255, canvas.Get(2, 0).b);
}

TEST(Compositor, UnusableArgumentsFailAndDrawNothing) {
    Canvas canvas(4, 4, 4);
    Canvas before = canvas;
    Picture p(2, 2);
    p.Set(0, 0, {255, 255, 255}, 255);
    EXPECT_FALSE(CompositorDraw(canvas.View(), p.Bitmap(true), {0, 0, 2, 2}, {1, 1, 2, 2}, {}));
    EXPECT_FALSE(CompositorDraw(canvas.View(), p.Bitmap(true), {0, 0, 2, 2}, {-1, 0, 2, 2}, {}));
    EXPECT_FALSE(CompositorDraw(canvas.View(), CompositorBitmap{}, {0, 0, 2, 2}, p.Whole(), {}));
    PixelView odd = canvas.View();
    odd.bytesPerPixel = 1;
    EXPECT_FALSE(CompositorDraw(odd, p.Bitmap(true), {0, 0, 2, 2}, p.Whole(), {}));
    EXPECT_FALSE(CompositorDraw(canvas.View(), p.Bitmap(true), {NAN, 0, 2, 2}, p.Whole(), {}));
    // Far away or wholly clipped drawing is not an error.
    EXPECT_TRUE(CompositorDraw(canvas.View(), p.Bitmap(true), {3e9f, -3e9f, 2, 2}, p.Whole(), {}));
    DrawAttributes turned;
    turned.angle = 33;
    turned.pivotX = -2e9f;
    EXPECT_TRUE(CompositorDraw(canvas.View(), p.Bitmap(true), {0, 0, 2, 2}, p.Whole(), turned));
    EXPECT_EQ(before.memory, canvas.memory);
}
}  // namespace
