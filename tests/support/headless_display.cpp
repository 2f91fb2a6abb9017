#include "support/headless_display.h"

#include <cstring>

#include "display/resource_images.h"
#include "display/sprites.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/window.h"

void RefuseModesAbove(int depth) {
    ResetDisplayDeviceFaults();
    for (int d = 32; d > depth; d -= 8) RefuseDisplayMode(d, DDERR_INVALIDMODE);
}

void DisplayAtDepth::SetUp() {
    SelectBackend(Backend::Headless);
    HeadlessResetInput();
    RefuseModesAbove(Depth());
    ASSERT_TRUE(InitDisplay());
    ASSERT_EQ(DisplayDepth(), Depth());
}

void DisplayAtDepth::TearDown() {
    ShutdownImageManager();
    ReleaseResourceImages();
    ShutdownDisplay();
    ResetDisplayDeviceFaults();
    ClockUseReal();
}

uint32_t DisplayAtDepth::Pixel(uint8_t r, uint8_t g, uint8_t b) const {
    if (Depth() == 16) return static_cast<uint32_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
    return static_cast<uint32_t>(b | (g << 8) | (r << 16));
}

Colour DisplayAtDepth::ScreenAt(int x, int y) {
    DisplaySurface* s = DisplayBackBuffer();
    const uint8_t* p = s->Pixels() + y * s->Pitch() + x * s->BytesPerPixel();
    if (s->BytesPerPixel() == 2) {
        int v = p[0] | (p[1] << 8);
        int r = v >> 11, g = (v >> 5) & 63, b = v & 31;
        return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
    }
    return {p[2], p[1], p[0]};
}

void DisplayAtDepth::FillScreen(Colour c) {
    DDBLTFX fx;
    fx.fillColor =
        Pixel(static_cast<uint8_t>(c.r), static_cast<uint8_t>(c.g), static_cast<uint8_t>(c.b));
    ASSERT_EQ(DD_OK, DisplayBackBuffer()->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx));
}

std::vector<uint8_t> DisplayAtDepth::ScreenBytes() {
    DisplaySurface* s = DisplayBackBuffer();
    std::vector<uint8_t> out;
    for (int y = 0; y < s->Height(); ++y)
        out.insert(out.end(), s->Pixels() + y * s->Pitch(),
                   s->Pixels() + y * s->Pitch() + s->Width() * s->BytesPerPixel());
    return out;
}

void SpriteDisplay::SetUp() {
    scratch_ = std::make_unique<ScratchDir>();
    DisplayAtDepth::SetUp();
}

void SpriteDisplay::TearDown() {
    DisplayAtDepth::TearDown();
    scratch_.reset();
}

uint32_t PixelAt(DisplaySurface& s, int x, int y) {
    uint32_t v = 0;
    std::memcpy(&v, s.Pixels() + y * s.Pitch() + x * s.BytesPerPixel(),
                static_cast<size_t>(s.BytesPerPixel()));
    return v;
}

void SetPixel(DisplaySurface& s, int x, int y, uint32_t value) {
    std::memcpy(s.Pixels() + y * s.Pitch() + x * s.BytesPerPixel(), &value,
                static_cast<size_t>(s.BytesPerPixel()));
}

void FillRect(DisplaySurface& s, RECT r, uint32_t value) {
    DDBLTFX fx;
    fx.fillColor = value;
    ASSERT_EQ(s.Blt(&r, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
}

std::string DepthName(const testing::TestParamInfo<int>& info) {
    return std::to_string(info.param) + "Bits";
}
