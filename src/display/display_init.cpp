// Bringing the display up and down.
#include <algorithm>

#include "display/display_state.h"
#include "display/sprites.h"

DisplayState gDisplay;

namespace {
constexpr uint32_t kCooperation = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT;

// A plain off-screen surface of screen size in the display's format.
DDRESULT CreateWorkSurface(DisplaySurfacePtr& surface) {
    DDSURFACEDESC desc;
    desc.flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.caps = DDSCAPS_OFFSCREENPLAIN;
    desc.width = ScreenWidth;
    desc.height = ScreenHeight;
    return gDisplay.device->CreateSurface(desc, surface);
}
}  // namespace

bool InitDisplay() {
    if (gDisplay.device) ShutdownDisplay();
    if (DirectDrawCreate(gDisplay.device) != DD_OK) return false;
    if (gDisplay.device->SetCooperativeLevel(kCooperation) != DD_OK) return ShutdownDisplay();

    gDisplay.depth = 32;
    DDRESULT r = gDisplay.device->SetDisplayMode(ScreenWidth, ScreenHeight, gDisplay.depth);
    while (r == DDERR_INVALIDMODE && gDisplay.depth > 16) {
        gDisplay.depth -= 8;
        r = gDisplay.device->SetDisplayMode(ScreenWidth, ScreenHeight, gDisplay.depth);
    }
    if (r != DD_OK) return ShutdownDisplay();

    DDSURFACEDESC primary;
    primary.flags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    primary.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    primary.backBufferCount = 1;
    if (gDisplay.device->CreateSurface(primary, gDisplay.primary) != DD_OK)
        return ShutdownDisplay();
    if (gDisplay.primary->GetAttachedSurface(DDSCAPS_BACKBUFFER, gDisplay.backBuffer) != DD_OK)
        return ShutdownDisplay();
    for (auto& work : gDisplay.work)
        if (CreateWorkSurface(work) != DD_OK) return ShutdownDisplay();

    gDisplay.colourKey = gDisplay.depth == 16 ? 0xF81Fu : 0x00FF00FFu;
    gDisplay.frameDeadline = 0;
    gDisplay.deadlineSet = false;
    InitImageManager(gDisplay.device.get(), gDisplay.backBuffer.get());
    return true;
}

bool ShutdownDisplay() {
    gDisplay.backBuffer.reset();
    gDisplay.primary.reset();
    for (auto& work : gDisplay.work) work.reset();
    // The image manager forgets the device too: a sprite load after this fails with null.
    ImageManager.device = nullptr;
    gDisplay.device.reset();
    return false;
}

bool DisplayIsUp() {
    return gDisplay.backBuffer != nullptr;
}

int32_t DisplayDepth() {
    return gDisplay.depth;
}
uint32_t DisplayColourKey() {
    return gDisplay.colourKey;
}
DDCOLORKEY DisplayColourKeyPair() {
    return DDCOLORKEY{gDisplay.colourKey, gDisplay.colourKey};
}

DisplayDevice* DisplayDeviceObject() {
    return gDisplay.device.get();
}
DisplaySurface* DisplayPrimarySurface() {
    return gDisplay.primary.get();
}
DisplaySurface* DisplayBackBuffer() {
    return gDisplay.backBuffer.get();
}
DisplaySurface* DisplayWorkSurface(int n) {
    return n >= 0 && n < WorkSurfaceCount ? gDisplay.work[n].get() : nullptr;
}

RECT FadeToSurfaceRect(const FadeRect* rect) {
    const FadeRect f = rect ? *rect : FadeRect{};
    RECT r{std::max(f.x0, 0), std::max(f.y0, 0), std::min(f.x1, ScreenWidth),
           std::min(f.y1, ScreenHeight)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}
