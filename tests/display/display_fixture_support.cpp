#include "display_fixture_support.h"

#include <cstring>

#include "display/resource_images.h"
#include "platform/backend.h"
#include "platform/clock.h"
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
    ReleaseResourceImages();
    ShutdownDisplay();
    ResetDisplayDeviceFaults();
    ClockUseReal();
}

uint32_t DisplayAtDepth::Colour(uint8_t r, uint8_t g, uint8_t b) const {
    if (Depth() == 16) return static_cast<uint32_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
    return static_cast<uint32_t>(b | (g << 8) | (r << 16));
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
