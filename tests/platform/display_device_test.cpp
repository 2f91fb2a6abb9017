// The display device stand-in: formats and pitch, copies, keys, stretch and clipping, loss and
// injected results, flipping.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "platform/backend.h"
#include "platform/display_device.h"
#include "platform/headless.h"

namespace {
class DeviceTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        SelectBackend(Backend::Headless);
        ResetDisplayDeviceFaults();
        ASSERT_EQ(DirectDrawCreate(device), DD_OK);
        ASSERT_EQ(device->SetCooperativeLevel(DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
        ASSERT_EQ(device->SetDisplayMode(800, 600, GetParam()), DD_OK);
    }
    DisplaySurfacePtr Plain(int w, int h) {
        DDSURFACEDESC d;
        d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        d.caps = DDSCAPS_OFFSCREENPLAIN;
        d.width = w;
        d.height = h;
        DisplaySurfacePtr s;
        EXPECT_EQ(device->CreateSurface(d, s), DD_OK);
        return s;
    }
    // The primary surface with its back buffer.
    void Primary(DisplaySurfacePtr& primary, DisplaySurfacePtr& back) {
        DDSURFACEDESC d;
        d.flags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        d.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        d.backBufferCount = 1;
        ASSERT_EQ(device->CreateSurface(d, primary), DD_OK);
        ASSERT_EQ(primary->GetAttachedSurface(DDSCAPS_BACKBUFFER, back), DD_OK);
    }
    int Bpp() const { return GetParam() / 8; }
    // Writes pixel value v at (x, y) through a lock.
    void Put(DisplaySurface& s, int x, int y, uint32_t v) {
        DDSURFACEDESC d;
        ASSERT_EQ(s.Lock(nullptr, d, DDLOCK_WAIT), DD_OK);
        std::memcpy(d.surface + y * d.pitch + x * Bpp(), &v, static_cast<size_t>(Bpp()));
        ASSERT_EQ(s.Unlock(), DD_OK);
    }
    uint32_t Get(DisplaySurface& s, int x, int y) {
        DDSURFACEDESC d;
        EXPECT_EQ(s.Lock(nullptr, d, DDLOCK_WAIT), DD_OK);
        uint32_t v = 0;
        std::memcpy(&v, d.surface + y * d.pitch + x * Bpp(), static_cast<size_t>(Bpp()));
        s.Unlock();
        return v;
    }
    std::unique_ptr<DisplayDevice> device;
};

TEST_P(DeviceTest, SurfacesHaveTheDisplayFormatAndAWidePitch) {
    auto s = Plain(7, 3);
    DDSURFACEDESC d;
    ASSERT_EQ(s->GetSurfaceDesc(d), DD_OK);
    EXPECT_EQ(d.pixelFormat.rgbBitCount, static_cast<uint32_t>(GetParam()));
    EXPECT_GT(d.pitch, 7 * Bpp());
    // A locked sub-rectangle starts at its own first pixel.
    DDSURFACEDESC whole, part;
    RECT r{2, 1, 5, 3};
    ASSERT_EQ(s->Lock(nullptr, whole, DDLOCK_WAIT), DD_OK);
    ASSERT_EQ(s->Unlock(), DD_OK);
    ASSERT_EQ(s->Lock(&r, part, DDLOCK_WAIT), DD_OK);
    EXPECT_EQ(part.surface, whole.surface + whole.pitch + 2 * Bpp());
    EXPECT_EQ(part.width, 3);
    EXPECT_EQ(s->Unlock(), DD_OK);
    EXPECT_EQ(s->Unlock(), DDERR_NOTLOCKED);
    RECT outside{5, 0, 8, 1};
    EXPECT_EQ(s->Lock(&outside, part, DDLOCK_WAIT), DDERR_INVALIDRECT);
}

TEST_P(DeviceTest, ExplicitThirtyTwoBitFormatWhateverTheDisplay) {
    DDSURFACEDESC d;
    d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.caps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_OFFSCREENPLAIN;
    d.width = 4;
    d.height = 4;
    d.pixelFormat = DisplayPixelFormat(32);
    DisplaySurfacePtr s;
    ASSERT_EQ(device->CreateSurface(d, s), DD_OK);
    EXPECT_EQ(s->BytesPerPixel(), 4);
    auto display = Plain(4, 4);
    EXPECT_EQ(display->BltFast(0, 0, s.get(), nullptr, DDBLTFAST_WAIT),
              GetParam() == 32 ? DD_OK : DDERR_INVALIDPIXELFORMAT);
}

TEST_P(DeviceTest, BadSizesAreRefused) {
    DDSURFACEDESC d;
    d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.caps = DDSCAPS_OFFSCREENPLAIN;
    DisplaySurfacePtr s;
    d.width = 0;
    d.height = 5;
    EXPECT_NE(device->CreateSurface(d, s), DD_OK);
    d.width = 30000;
    d.height = 30000;
    EXPECT_EQ(device->CreateSurface(d, s), DDERR_OUTOFMEMORY);
    EXPECT_EQ(s, nullptr);
}

TEST_P(DeviceTest, FillCopyAndKeyedCopy) {
    const uint32_t key = GetParam() == 16 ? 0xF81Fu : 0x00FF00FFu;
    auto src = Plain(4, 2), dst = Plain(6, 4);
    DDBLTFX fx;
    fx.fillColor = 0x1234;
    ASSERT_EQ(dst->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    Put(*src, 0, 0, key);
    Put(*src, 1, 0, 0x0042);
    DDCOLORKEY ck{key, key};
    ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, ck), DD_OK);
    RECT r{0, 0, 2, 1};
    ASSERT_EQ(dst->BltFast(3, 2, src.get(), &r, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(Get(*dst, 3, 2), 0x1234u);  // key: left alone
    EXPECT_EQ(Get(*dst, 4, 2), 0x0042u);
    ASSERT_EQ(dst->BltFast(3, 2, src.get(), &r, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(Get(*dst, 3, 2), key);  // unkeyed: copied
    // Rectangles outside either surface copy nothing.
    EXPECT_EQ(dst->BltFast(5, 0, src.get(), &r, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    RECT beyond{0, 1, 2, 3};
    EXPECT_EQ(dst->BltFast(0, 0, src.get(), &beyond, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    // Key override on Blt.
    fx.srcColorKeyOverride = DDCOLORKEY{0x0042, 0x0042};
    RECT d2{0, 0, 2, 1};
    ASSERT_EQ(dst->Blt(&d2, src.get(), &r, DDBLT_KEYSRCOVERRIDE | DDBLT_WAIT, &fx), DD_OK);
    EXPECT_EQ(Get(*dst, 0, 0), key);
    EXPECT_EQ(Get(*dst, 1, 0), 0x1234u);
}

TEST_P(DeviceTest, BltStretchesAndClipsToBothSurfaces) {
    auto src = Plain(2, 2), dst = Plain(8, 8);
    Put(*src, 0, 0, 1);
    Put(*src, 1, 0, 2);
    Put(*src, 0, 1, 3);
    Put(*src, 1, 1, 4);
    RECT d{0, 0, 4, 4};
    ASSERT_EQ(dst->Blt(&d, src.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Get(*dst, 1, 1), 1u);
    EXPECT_EQ(Get(*dst, 2, 1), 2u);
    EXPECT_EQ(Get(*dst, 3, 3), 4u);
    // Half the destination hangs off the left edge: only the right column lands, at x = 0.
    RECT off{-1, 6, 1, 7};
    RECT row{0, 1, 2, 2};
    ASSERT_EQ(dst->Blt(&off, src.get(), &row, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Get(*dst, 0, 6), 4u);
    EXPECT_EQ(Get(*dst, 1, 6), 0u);
    // A source reaching past its surface is cut, and the destination with it.
    RECT wide{1, 0, 3, 1};
    RECT d3{4, 7, 6, 8};
    ASSERT_EQ(dst->Blt(&d3, src.get(), &wide, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Get(*dst, 4, 7), 2u);
    EXPECT_EQ(Get(*dst, 5, 7), 0u);
    RECT backwards{3, 0, 1, 1};
    EXPECT_EQ(dst->Blt(&backwards, src.get(), nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
}

TEST_P(DeviceTest, OverlappingCopyWithinOneSurface) {
    auto s = Plain(5, 1);
    for (int x = 0; x < 5; ++x) Put(*s, x, 0, static_cast<uint32_t>(x + 1));
    RECT r{0, 0, 4, 1};
    ASSERT_EQ(s->BltFast(1, 0, s.get(), &r, DDBLTFAST_WAIT), DD_OK);
    for (int x = 1; x < 5; ++x) EXPECT_EQ(Get(*s, x, 0), static_cast<uint32_t>(x));
}

TEST_P(DeviceTest, LostSurfacesAndInjectedResults) {
    auto src = Plain(2, 2), dst = Plain(2, 2);
    MarkSurfaceLost(*dst);
    DDSURFACEDESC d;
    EXPECT_EQ(dst->Lock(nullptr, d, DDLOCK_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(dst->BltFast(0, 0, src.get(), nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(src->BltFast(0, 0, dst.get(), nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
    InjectSurfaceResult(*dst, SurfaceOp::Restore, DDERR_GENERIC);
    EXPECT_EQ(dst->Restore(), DDERR_GENERIC);
    EXPECT_EQ(dst->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(dst->Restore(), DD_OK);
    EXPECT_EQ(dst->BltFast(0, 0, src.get(), nullptr, DDBLTFAST_WAIT), DD_OK);
    InjectSurfaceResult(*dst, SurfaceOp::Blt, DDERR_WASSTILLDRAWING, 2);
    EXPECT_EQ(dst->Blt(nullptr, src.get(), nullptr, 0, nullptr), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(dst->Blt(nullptr, src.get(), nullptr, 0, nullptr), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(dst->Blt(nullptr, src.get(), nullptr, 0, nullptr), DD_OK);
    EXPECT_EQ(SurfaceCallCount(*dst, SurfaceOp::Blt), 3);
    // A locked surface cannot be blitted.
    ASSERT_EQ(src->Lock(nullptr, d, DDLOCK_WAIT), DD_OK);
    EXPECT_EQ(dst->BltFast(0, 0, src.get(), nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
    src->Unlock();
}

TEST_P(DeviceTest, FlipShowsTheBackBufferAndLossCoversBoth) {
    DisplaySurfacePtr primary, back;
    ASSERT_NO_FATAL_FAILURE(Primary(primary, back));
    Put(*back, 10, 20, 0x55);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(Get(*primary, 10, 20), 0x55u);
    EXPECT_EQ(Get(*back, 10, 20), 0u);
    EXPECT_EQ(device->FlipCount(), 1u);
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(ReadSurfaceRgba(*primary, rgba));
    ASSERT_EQ(rgba.size(), 800u * 600u * 4u);
    EXPECT_EQ(rgba[(20 * 800 + 10) * 4 + 3], 255);
    EXPECT_NE(rgba[(20 * 800 + 10) * 4 + 2], 0);  // 0x55 lands in the blue channel
    MarkSurfaceLost(*primary);
    EXPECT_EQ(back->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(primary->Restore(), DD_OK);
    EXPECT_EQ(back->IsLost(), DD_OK);
}

// After a flip the presenter copies the front picture whole into the back buffer. Whenever that
// copy is really made, each surface must show what it would have shown had it been made at once.
TEST_P(DeviceTest, TheFrontPictureCopiedIntoTheBackBufferIsWhatBothShow) {
    DisplaySurfacePtr primary, back;
    ASSERT_NO_FATAL_FAILURE(Primary(primary, back));
    // A frame with 0x21 at (10, 20) on screen, copied back.
    auto showAndCopyBack = [&] {
        Put(*back, 10, 20, 0x21);
        ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
        ASSERT_EQ(back->BltFast(0, 0, primary.get(), nullptr, DDBLTFAST_WAIT), DD_OK);
    };

    // Drawing on the front afterwards leaves the back buffer with the picture of the flip.
    showAndCopyBack();
    Put(*primary, 30, 40, 0x33);
    EXPECT_EQ(Get(*back, 10, 20), 0x21u);
    EXPECT_EQ(Get(*back, 30, 40), 0u);
    EXPECT_EQ(Get(*primary, 30, 40), 0x33u);

    // Flips with nothing drawn keep showing the same frame, and each counts as a flip.
    Put(*primary, 30, 40, 0);
    showAndCopyBack();
    uint64_t flips = device->FlipCount();
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    ASSERT_EQ(back->BltFast(0, 0, primary.get(), nullptr, DDBLTFAST_WAIT), DD_OK);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(device->FlipCount(), flips + 2);
    EXPECT_EQ(Get(*primary, 10, 20), 0x21u);
    EXPECT_EQ(Get(*back, 10, 20), 0x21u);

    // A partial drawing on the back buffer lands on the copied picture, and the next flip shows
    // both.
    showAndCopyBack();
    Put(*back, 5, 5, 0x44);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(Get(*primary, 5, 5), 0x44u);
    EXPECT_EQ(Get(*primary, 10, 20), 0x21u);

    // A keyed whole copy onto the back buffer keeps the copied picture where the key hides.
    const uint32_t key = GetParam() == 16 ? 0xF81Fu : 0x00FF00FFu;
    auto overlay = Plain(800, 600);
    DDBLTFX fx;
    fx.fillColor = key;
    ASSERT_EQ(overlay->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    Put(*overlay, 0, 0, 0x55);
    DDCOLORKEY ck{key, key};
    ASSERT_EQ(overlay->SetColorKey(DDCKEY_SRCBLT, ck), DD_OK);
    showAndCopyBack();
    ASSERT_EQ(back->BltFast(0, 0, overlay.get(), nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
    EXPECT_EQ(Get(*back, 0, 0), 0x55u);
    EXPECT_EQ(Get(*back, 10, 20), 0x21u);

    // An unkeyed whole copy replaces every pixel; reading the pixels directly agrees.
    showAndCopyBack();
    ASSERT_EQ(back->BltFast(0, 0, overlay.get(), nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(Get(*back, 10, 20), key);
    showAndCopyBack();
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(ReadSurfaceRgba(*back, rgba));
    EXPECT_NE(rgba[(20 * 800 + 10) * 4 + 2], 0) << "the copied front picture, read directly";
    // Copying the back buffer elsewhere reads the copied picture too.
    auto saved = Plain(800, 600);
    ASSERT_EQ(saved->BltFast(0, 0, back.get(), nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(Get(*saved, 10, 20), 0x21u);
}

// Frames drawn as the screens draw them: the front copied back, then bands of rows drawn over it.
// Only rows drawn since are compared at a flip and copied back, so every band ever drawn must
// still be on screen, and a flip that changes the picture still leaves the old one behind.
TEST_P(DeviceTest, FramesDrawnInBandsKeepEveryBandDrawnBefore) {
    DisplaySurfacePtr primary, back;
    ASSERT_NO_FATAL_FAILURE(Primary(primary, back));
    auto band = [&](int32_t top, uint32_t colour) {
        DDBLTFX fx;
        fx.fillColor = colour;
        RECT r{0, top, 800, top + 10};
        ASSERT_EQ(back->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    };
    auto frame = [&](int32_t top, uint32_t colour) {
        band(top, colour);
        ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
        ASSERT_EQ(back->BltFast(0, 0, primary.get(), nullptr, DDBLTFAST_WAIT), DD_OK);
    };
    frame(10, 0x11);
    frame(100, 0x22);
    frame(100, 0x22);  // drawn again alike: the same picture
    frame(100, 0x33);
    band(300, 0x44);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    // Read only now: a read counts as a drawing and would make every row compared.
    for (auto [y, v] : {std::pair{15, 0x11u}, {105, 0x33u}, {305, 0u}})
        EXPECT_EQ(Get(*back, 5, y), v) << "the picture before the last flip, row " << y;
    for (auto [y, v] : {std::pair{15, 0x11u}, {105, 0x33u}, {305, 0x44u}, {200, 0u}})
        EXPECT_EQ(Get(*primary, 5, y), v) << "row " << y;
}

TEST_P(DeviceTest, SurfacesOutliveTheirDeviceAsLost) {
    auto s = Plain(3, 3);
    Put(*s, 1, 1, 9);
    device.reset();
    EXPECT_EQ(s->IsLost(), DDERR_SURFACELOST);
    EXPECT_NE(s->Restore(), DD_OK);
    ASSERT_NE(s->Pixels(), nullptr);  // still readable by whoever holds it
}

INSTANTIATE_TEST_SUITE_P(Depths, DeviceTest, ::testing::Values(32, 24, 16));

TEST(DisplayModes, RefusalsAndInjectedFaults) {
    SelectBackend(Backend::Headless);
    ResetDisplayDeviceFaults();
    std::unique_ptr<DisplayDevice> device;
    InjectDeviceFault(DeviceOp::Create, DDERR_GENERIC);
    EXPECT_EQ(DirectDrawCreate(device), DDERR_GENERIC);
    ASSERT_EQ(DirectDrawCreate(device), DD_OK);
    EXPECT_EQ(device->SetDisplayMode(800, 600, 32), DDERR_NOEXCLUSIVEMODE);
    ASSERT_EQ(device->SetCooperativeLevel(DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    EXPECT_EQ(device->SetDisplayMode(640, 480, 32), DDERR_INVALIDMODE);
    EXPECT_EQ(device->SetDisplayMode(800, 600, 8), DDERR_INVALIDMODE);
    RefuseDisplayMode(32, DDERR_INVALIDMODE);
    EXPECT_EQ(device->SetDisplayMode(800, 600, 32), DDERR_INVALIDMODE);
    EXPECT_EQ(device->SetDisplayMode(800, 600, 24), DD_OK);
    EXPECT_EQ(device->Depth(), 24);
    InjectDeviceFault(DeviceOp::CreateSurface, DDERR_OUTOFMEMORY, 1);
    DDSURFACEDESC d;
    d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.caps = DDSCAPS_OFFSCREENPLAIN;
    d.width = d.height = 1;
    DisplaySurfacePtr s;
    EXPECT_EQ(device->CreateSurface(d, s), DD_OK);
    EXPECT_EQ(device->CreateSurface(d, s), DDERR_OUTOFMEMORY);
    EXPECT_EQ(device->CreateSurface(d, s), DD_OK);
    ResetDisplayDeviceFaults();
}
}  // namespace
