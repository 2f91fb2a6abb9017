// The display's bring-up and teardown, presenting and its pacing, the back-buffer and work-surface
// copies with their lost-surface handling, and the cross-fade at every depth.
#include <gtest/gtest.h>

#include <random>

#include "display/display.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "support/headless_display.h"

namespace {
class BringUp : public ::testing::Test {
  protected:
    void SetUp() override {
        SelectBackend(Backend::Headless);
        ResetDisplayDeviceFaults();
    }
    void TearDown() override {
        ShutdownDisplay();
        ResetDisplayDeviceFaults();
    }
    static void ExpectNothingHeld() {
        EXPECT_FALSE(DisplayIsUp());
        EXPECT_EQ(DisplayDeviceObject(), nullptr);
        EXPECT_EQ(DisplayPrimarySurface(), nullptr);
        for (int n = 0; n < WorkSurfaceCount; ++n) EXPECT_EQ(DisplayWorkSurface(n), nullptr);
    }
};

TEST_F(BringUp, InvalidModeRefusalsFallBackToTwentyFourThenSixteen) {
    ASSERT_TRUE(InitDisplay());
    EXPECT_EQ(DisplayDepth(), 32);
    EXPECT_EQ(DisplayColourKey(), 0x00FF00FFu);
    RefuseDisplayMode(32, DDERR_INVALIDMODE);
    ASSERT_TRUE(InitDisplay());
    EXPECT_EQ(DisplayDepth(), 24);
    EXPECT_EQ(DisplayColourKey(), 0x00FF00FFu);
    RefuseDisplayMode(24, DDERR_INVALIDMODE);
    ASSERT_TRUE(InitDisplay());
    EXPECT_EQ(DisplayDepth(), 16);
    EXPECT_EQ(DisplayColourKey(), 0xF81Fu);
    EXPECT_EQ(DisplayBackBuffer()->BytesPerPixel(), 2);
    EXPECT_EQ(DisplayWorkSurface(2)->BytesPerPixel(), 2);
    RefuseDisplayMode(16, DDERR_INVALIDMODE);
    EXPECT_FALSE(InitDisplay());
    ExpectNothingHeld();
}

TEST_F(BringUp, AnyOtherRefusalEndsTheBringUp) {
    // The one failing call is the attempt at 32 bits: trying 24 would succeed.
    InjectDeviceFault(DeviceOp::SetDisplayMode, DDERR_GENERIC);
    EXPECT_FALSE(InitDisplay());
    ExpectNothingHeld();
    RefuseDisplayMode(32, DDERR_INVALIDMODE);
    RefuseDisplayMode(24, DDERR_OUTOFMEMORY);
    EXPECT_FALSE(InitDisplay());
    ExpectNothingHeld();
}

TEST_F(BringUp, EachFailingStepReleasesWhatWasMade) {
    InjectDeviceFault(DeviceOp::Create, DDERR_GENERIC);
    EXPECT_FALSE(InitDisplay());
    ExpectNothingHeld();
    InjectDeviceFault(DeviceOp::SetCooperativeLevel, DDERR_GENERIC);
    EXPECT_FALSE(InitDisplay());
    ExpectNothingHeld();
    for (int skip = 0; skip < 4; ++skip) {  // the primary, then work surfaces 0, 1 and 2
        InjectDeviceFault(DeviceOp::CreateSurface, DDERR_OUTOFMEMORY, skip);
        EXPECT_FALSE(InitDisplay()) << skip;
        ExpectNothingHeld();
    }
    EXPECT_TRUE(InitDisplay());
}

TEST_F(BringUp, ShutdownIsSafeToRepeatAndAlwaysFalse) {
    EXPECT_FALSE(ShutdownDisplay());
    ASSERT_TRUE(InitDisplay());
    EXPECT_FALSE(ShutdownDisplay());
    EXPECT_FALSE(ShutdownDisplay());
    ExpectNothingHeld();
}

TEST_F(BringUp, OperationsAfterShutdownDoNothingAndPresentStillPaces) {
    ASSERT_TRUE(InitDisplay());
    ShutdownDisplay();
    ClockUseVirtual(1000, 1);
    const FadeRect half{0, 400, 0, 300};
    ClearBackBuffer();
    SaveBackBufferRect(0, 0, 0, 800, 600);
    BlitWorkSurface(0, 0, 0, true, 0, 0, 800, 600);
    CaptureFadeSource(&half);
    CaptureFadeTarget(nullptr);
    BlendFade(50, &half, 0);
    const uint64_t taken = HeadlessMessagesTaken();
    HeadlessPostMessage(WindowMessage{WM_NULL, 0, 0});
    Present();
    const uint32_t first = timeGetTime();
    Present();
    EXPECT_GE(timeGetTime() - first, 15u);
    EXPECT_GT(HeadlessMessagesTaken(), taken);
    ExpectNothingHeld();
    ClockUseReal();
}

class PresentTest : public DisplayAtDepth {};

TEST_P(PresentTest, ShowsTheBackBufferAndKeepsItAsTheScreen) {
    DisplaySurface& back = *DisplayBackBuffer();
    DisplaySurface& primary = *DisplayPrimarySurface();
    const uint64_t flips = DisplayDeviceObject()->FlipCount();
    SetPixel(back, 5, 7, Pixel(10, 200, 30));
    Present();
    EXPECT_EQ(DisplayDeviceObject()->FlipCount(), flips + 1);
    EXPECT_EQ(PixelAt(primary, 5, 7), Pixel(10, 200, 30));
    EXPECT_EQ(PixelAt(back, 5, 7), Pixel(10, 200, 30));
    // The next frame draws only what changes.
    SetPixel(back, 6, 7, Pixel(1, 2, 3));
    Present();
    EXPECT_EQ(PixelAt(primary, 5, 7), Pixel(10, 200, 30));
    EXPECT_EQ(PixelAt(primary, 6, 7), Pixel(1, 2, 3));
}

TEST_P(PresentTest, FirstPresentDoesNotWaitAndTheNextWaitsFifteenMs) {
    ClockUseVirtual(0xFFFFFFF0u, 1);  // across the clock's wrap as well
    const uint32_t before = timeGetTime();
    Present();
    const uint32_t first = timeGetTime();
    EXPECT_LT(first - before, 10u);
    Present();
    const uint32_t second = timeGetTime();
    EXPECT_GE(second - first, 15u);
    EXPECT_LT(second - first, 25u);
}

TEST_P(PresentTest, LostScreenIsRestoredOrTheDisplayShutsDown) {
    DisplaySurface& back = *DisplayBackBuffer();
    SetPixel(back, 1, 1, Pixel(0, 0, 255));
    MarkSurfaceLost(*DisplayPrimarySurface());
    Present();
    ASSERT_TRUE(DisplayIsUp());
    EXPECT_EQ(PixelAt(*DisplayPrimarySurface(), 1, 1), Pixel(0, 0, 255));
    MarkSurfaceLost(*DisplayPrimarySurface());
    InjectSurfaceResult(*DisplayPrimarySurface(), SurfaceOp::Restore, DDERR_GENERIC);
    Present();
    EXPECT_FALSE(DisplayIsUp());
}

TEST_P(PresentTest, ClearBackBufferRetriesAndRestores) {
    DisplaySurface& back = *DisplayBackBuffer();
    const uint32_t white = Pixel(255, 255, 255);
    FillRect(back, RECT{0, 0, 800, 600}, white);
    InjectSurfaceResult(back, SurfaceOp::Blt, DDERR_WASSTILLDRAWING, 3);
    ClearBackBuffer();
    EXPECT_EQ(PixelAt(back, 799, 599), 0u);
    FillRect(back, RECT{0, 0, 800, 600}, white);
    MarkSurfaceLost(back);
    ClearBackBuffer();
    EXPECT_EQ(back.IsLost(), DD_OK);
    EXPECT_EQ(PixelAt(back, 0, 0), 0u);
    // A failed restore gives up quietly: the display stays up.
    FillRect(back, RECT{0, 0, 800, 600}, white);
    MarkSurfaceLost(back);
    InjectSurfaceResult(back, SurfaceOp::Restore, DDERR_GENERIC);
    ClearBackBuffer();
    EXPECT_TRUE(DisplayIsUp());
    EXPECT_EQ(PixelAt(back, 0, 0), white);
}

TEST_P(PresentTest, SaveBackBufferRectCopiesToTheSamePlace) {
    DisplaySurface& back = *DisplayBackBuffer();
    DisplaySurface& work = *DisplayWorkSurface(2);
    FillRect(back, RECT{0, 0, 800, 600}, Pixel(9, 9, 9));
    MarkSurfaceLost(work);
    SaveBackBufferRect(2, 100, 50, 110, 52);
    EXPECT_EQ(PixelAt(work, 100, 50), Pixel(9, 9, 9));
    EXPECT_EQ(PixelAt(work, 109, 51), Pixel(9, 9, 9));
    EXPECT_EQ(PixelAt(work, 110, 51), 0u);
    EXPECT_EQ(PixelAt(work, 100, 52), 0u);
    EXPECT_EQ(PixelAt(*DisplayWorkSurface(1), 100, 50), 0u);
    SaveBackBufferRect(3, 0, 0, 800, 600);  // no such work surface: nothing
    MarkSurfaceLost(work);
    InjectSurfaceResult(work, SurfaceOp::Restore, DDERR_GENERIC);
    SaveBackBufferRect(2, 0, 0, 10, 10);
    EXPECT_FALSE(DisplayIsUp());
}

TEST_P(PresentTest, BlitWorkSurfaceCutsTheSourceWithTheScreen) {
    DisplaySurface& back = *DisplayBackBuffer();
    DisplaySurface& work = *DisplayWorkSurface(1);
    for (int x = 0; x < 800; ++x) SetPixel(work, x, 3, Pixel(0, 0, static_cast<uint8_t>(x)));
    const uint32_t marker = Pixel(1, 1, 1);
    FillRect(back, RECT{0, 0, 800, 600}, marker);
    // 10 columns hang off the left edge: the source loses its first 10 columns too.
    BlitWorkSurface(1, -30, 0, false, -10, 3, 20, 4);
    EXPECT_EQ(PixelAt(back, 0, 3), Pixel(0, 0, 30));
    EXPECT_EQ(PixelAt(back, 19, 3), Pixel(0, 0, 49));
    EXPECT_EQ(PixelAt(back, 20, 3), marker);
    // Off the right edge.
    BlitWorkSurface(1, 0, 0, false, 790, 3, 810, 4);
    EXPECT_EQ(PixelAt(back, 799, 3), Pixel(0, 0, 799 & 255));
    EXPECT_EQ(PixelAt(back, 789, 3), marker);
    // Keyed: key pixels of the work surface leave the back buffer alone.
    SetPixel(work, 400, 3, DisplayColourKey());
    BlitWorkSurface(1, 0, 0, true, 399, 3, 402, 4);
    EXPECT_EQ(PixelAt(back, 399, 3), Pixel(0, 0, 399 & 255));
    EXPECT_EQ(PixelAt(back, 400, 3), marker);
    EXPECT_EQ(PixelAt(back, 401, 3), Pixel(0, 0, 401 & 255));
    // A lost back buffer is restored; one that cannot be gives up and leaves the display up.
    MarkSurfaceLost(back);
    BlitWorkSurface(1, 0, 0, false, 0, 3, 5, 4);
    EXPECT_EQ(PixelAt(back, 4, 3), Pixel(0, 0, 4));
    MarkSurfaceLost(back);
    InjectSurfaceResult(back, SurfaceOp::Restore, DDERR_GENERIC);
    BlitWorkSurface(1, 0, 0, false, 0, 0, 800, 600);
    EXPECT_TRUE(DisplayIsUp());
}

INSTANTIATE_TEST_SUITE_P(Depths, PresentTest, ::testing::Values(32, 24, 16));

class FadeTest : public DisplayAtDepth {
  protected:
    // Random pictures on work surfaces 1 (source) and 0 (target); every fifth target pixel is key.
    void Pictures() {
        std::mt19937 random(static_cast<unsigned>(Depth()));
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                const uint32_t bits = random();
                SetPixel(*DisplayWorkSurface(1), x, y,
                         Pixel(static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                               static_cast<uint8_t>(bits >> 16)));
                const uint32_t more = random();
                uint32_t target = (x + y) % 5 == 0 ? DisplayColourKey()
                                                   : Pixel(static_cast<uint8_t>(more),
                                                           static_cast<uint8_t>(more >> 8),
                                                           static_cast<uint8_t>(more >> 16));
                if (Depth() == 32) target |= (more & 0xFF000000u);  // a fourth byte to keep
                SetPixel(*DisplayWorkSurface(0), x, y, target);
            }
    }
    // The blend of one pixel as the cabinet defines it, per component in the display's fields.
    uint32_t Expected(uint32_t s, uint32_t t, int p) const {
        auto mix = [p](int a, int b) { return a + (b - a) * p / 100; };
        if (Depth() == 16) {
            return static_cast<uint32_t>((mix(s >> 11, t >> 11) << 11) +
                                         (mix((s >> 5) & 63, (t >> 5) & 63) << 5) +
                                         mix(s & 31, t & 31));
        }
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c)
            out |= static_cast<uint32_t>(mix((s >> (8 * c)) & 255, (t >> (8 * c)) & 255))
                   << (8 * c);
        return out;
    }
    uint32_t ColourBits() const { return Depth() == 16 ? 0xFFFFu : 0x00FFFFFFu; }
};

TEST_P(FadeTest, BlendIsExactOverTheWholeScreenAndOnlyInsideTheRectangle) {
    Pictures();
    CaptureFadeSource(nullptr);
    CaptureFadeTarget(nullptr);
    DisplaySurface& back = *DisplayBackBuffer();
    DisplaySurface& work0 = *DisplayWorkSurface(0);
    DisplaySurface& work1 = *DisplayWorkSurface(1);
    std::vector<uint32_t> source(800 * 600), target(800 * 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            source[y * 800 + x] = PixelAt(work1, x, y) & ColourBits();
            target[y * 800 + x] = PixelAt(work0, x, y);
        }
    for (int p : {0, 37, 100}) {
        BlendFade(p, nullptr, 0);
        for (int y = 0; y < 600; y += 7)
            for (int x = 0; x < 800; ++x) {
                const uint32_t t = target[y * 800 + x];
                const uint32_t want = Expected(source[y * 800 + x], t & ColourBits(), p);
                ASSERT_EQ(PixelAt(back, x, y) & ColourBits(), want) << x << "," << y << " p " << p;
                ASSERT_EQ(PixelAt(work0, x, y) & ColourBits(), want);
                if (Depth() == 32) {
                    ASSERT_EQ(PixelAt(work0, x, y) >> 24, t >> 24);
                }
            }
    }
    // A small rectangle with ragged edges leaves everything around it alone.
    const uint32_t marker = Pixel(7, 7, 7);
    FillRect(back, RECT{0, 0, 800, 600}, marker);
    const FadeRect rect{13, 18, 200, 203};
    BlendFade(50, &rect, 0);
    EXPECT_EQ(PixelAt(back, 12, 200), marker);
    EXPECT_EQ(PixelAt(back, 18, 201), marker);
    EXPECT_EQ(PixelAt(back, 13, 203), marker);
    EXPECT_EQ(PixelAt(back, 17, 202) & ColourBits(),
              Expected(source[202 * 800 + 17], target[202 * 800 + 17] & ColourBits(), 50));
}

TEST_P(FadeTest, PercentagesOutsideTheRangeChangeNothing) {
    Pictures();
    CaptureFadeSource(nullptr);
    CaptureFadeTarget(nullptr);
    const uint32_t marker = Pixel(7, 7, 7);
    FillRect(*DisplayBackBuffer(), RECT{0, 0, 800, 600}, marker);
    const uint32_t before = PixelAt(*DisplayWorkSurface(0), 3, 3);
    for (int p : {-1, 101}) {
        BlendFade(p, nullptr, 0);
        BlendFade(p, nullptr, 2);
        EXPECT_EQ(PixelAt(*DisplayBackBuffer(), 3, 3), marker);
        EXPECT_EQ(PixelAt(*DisplayWorkSurface(0), 3, 3), before);
    }
}

TEST_P(FadeTest, KeyPreservingBlendLeavesTheBackBufferUnderKeyPixels) {
    Pictures();
    CaptureFadeSource(nullptr);
    CaptureFadeTarget(nullptr);
    const uint32_t marker = Pixel(7, 7, 7);
    DisplaySurface& back = *DisplayBackBuffer();
    for (int p : {0, 60, 100}) {
        FillRect(back, RECT{0, 0, 800, 600}, marker);
        BlendFade(p, nullptr, 2);
        for (int y = 0; y < 600; y += 11)
            for (int x = 0; x < 800; ++x) {
                if ((x + y) % 5 == 0) {
                    ASSERT_EQ(PixelAt(back, x, y), marker) << x << "," << y;
                    ASSERT_EQ(PixelAt(*DisplayWorkSurface(0), x, y) & ColourBits(),
                              DisplayColourKey());
                } else {
                    // A blend that happens to give the key colour is transparent as well.
                    const uint32_t blended = PixelAt(*DisplayWorkSurface(0), x, y);
                    const bool isKey = (blended & ColourBits()) == DisplayColourKey();
                    ASSERT_EQ(PixelAt(back, x, y), isKey ? marker : blended) << x << "," << y;
                }
            }
    }
}

TEST_P(FadeTest, LostWorkSurfacesAreRestoredOrShutTheDisplay) {
    SetPixel(*DisplayWorkSurface(1), 0, 0, Pixel(0, 255, 0));
    MarkSurfaceLost(*DisplayWorkSurface(1));
    CaptureFadeSource(nullptr);
    CaptureFadeTarget(nullptr);
    BlendFade(0, nullptr, 0);
    EXPECT_EQ(PixelAt(*DisplayBackBuffer(), 0, 0) & ColourBits(), Pixel(0, 255, 0));
    // A lost back buffer is restored by the copy to it.
    FillRect(*DisplayBackBuffer(), RECT{0, 0, 800, 600}, 0);
    MarkSurfaceLost(*DisplayBackBuffer());
    BlendFade(0, nullptr, 2);
    EXPECT_EQ(DisplayBackBuffer()->IsLost(), DD_OK);
    EXPECT_EQ(PixelAt(*DisplayBackBuffer(), 0, 0) & ColourBits(), Pixel(0, 255, 0));
    MarkSurfaceLost(*DisplayWorkSurface(0));
    InjectSurfaceResult(*DisplayWorkSurface(0), SurfaceOp::Restore, DDERR_GENERIC);
    BlendFade(50, nullptr, 0);
    EXPECT_FALSE(DisplayIsUp());
}

INSTANTIATE_TEST_SUITE_P(Depths, FadeTest, ::testing::Values(32, 24, 16));
}  // namespace
