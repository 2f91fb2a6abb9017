#include "display/resource_images.h"

#include <cstring>
#include <string>

#include "display/display_state.h"
#include "display/image_decode.h"
#include "platform/files.h"

namespace {
DisplaySurfacePtr gRowSurface[ResourceImageRowCount];
// A lost surface is restored and the draw tried again, a few times at most.
constexpr int kLostRetries = 3;

// The row index of an id, or -1.
int FindRow(int32_t id) {
    for (int row = 0; ResourceImageTable[row].id != 0; ++row)
        if (ResourceImageTable[row].id == id) return row;
    return -1;
}

void FillRecord(ResourceImage& image, int row, int32_t width, int32_t height, int16_t frames) {
    image.width = width;
    image.frameHeight = height / frames;
    image.row = row;
    image.frameCount = frames;
}

// Decodes a row's file into a new system-memory surface; false on any error.
bool DecodeRow(int row) {
    const ResourceImageEntry& entry = ResourceImageTable[row];
    std::vector<uint8_t> file;
    if (!ReadWholeFile(entry.path, file)) return false;
    DecodedImage image;
    std::string error;
    if (!DecodeResourceFile(file.data(), file.size(), entry.type, gDisplay.depth, image, error))
        return false;
    file = {};

    DDSURFACEDESC desc;
    desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.caps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_OFFSCREENPLAIN;
    desc.width = image.width;
    desc.height = image.height;
    DisplaySurfacePtr surface;
    if (gDisplay.device->CreateSurface(desc, surface) != DD_OK) return false;
    surface->SetColorKey(DDCKEY_SRCBLT, DisplayColourKeyPair());
    DDSURFACEDESC locked;
    DDRESULT r = surface->Lock(nullptr, locked, DDLOCK_WAIT);
    if (r == DDERR_SURFACELOST) {
        if (surface->Restore() != DD_OK) return false;
        r = surface->Lock(nullptr, locked, DDLOCK_WAIT);
    }
    if (r != DD_OK) return false;
    const size_t rowBytes =
        static_cast<size_t>(image.width) * static_cast<size_t>(image.bytesPerPixel);
    for (int32_t y = 0; y < image.height; ++y)
        std::memcpy(locked.surface + static_cast<ptrdiff_t>(y) * locked.pitch,
                    image.pixels.data() + static_cast<size_t>(y) * rowBytes, rowBytes);
    surface->Unlock();
    gRowSurface[row] = std::move(surface);
    return true;
}

// The source rectangle of frame f cut to the clip, with (x, y) moved to match; false when
// nothing is left to draw.
bool ClipFrame(const ResourceImage& image, int32_t frame, int32_t& x, int32_t& y,
               const FadeRect& clip, RECT& source) {
    const int64_t top = int64_t{frame} * image.frameHeight;
    if (top < INT32_MIN / 2 || top > INT32_MAX / 2) return false;
    int64_t left = 0, right = image.width, bottom = top + image.frameHeight;
    int64_t sx = x, sy = y;
    int64_t sTop = top;
    if (sx < clip.x0) left += clip.x0 - sx, sx = clip.x0;
    if (sy < clip.y0) sTop += clip.y0 - sy, sy = clip.y0;
    if (sx + (right - left) >= clip.x1) right -= sx + (right - left) - clip.x1;
    if (sy + (bottom - sTop) >= clip.y1) bottom -= sy + (bottom - sTop) - clip.y1;
    if (left >= right || sTop >= bottom) return false;
    source = RECT{static_cast<int32_t>(left), static_cast<int32_t>(sTop),
                  static_cast<int32_t>(right), static_cast<int32_t>(bottom)};
    x = static_cast<int32_t>(sx);
    y = static_cast<int32_t>(sy);
    return true;
}

// The image's surface, decoding a registered image on its first draw; null when there is none.
DisplaySurface* SurfaceForDraw(ResourceImage& image) {
    if (image.row < 0 || image.row >= ResourceImageRowCount || !DisplayIsUp()) return nullptr;
    if (!gRowSurface[image.row])
        LoadResourceImage(image, ResourceImageTable[image.row].id,
                          static_cast<int16_t>(image.frameCount));
    return DisplayIsUp() ? gRowSurface[image.row].get() : nullptr;
}

// The frame copy onto target with the lost-surface handling; restoreTarget is what gets restored.
void BlitFrame(DisplaySurface* target, DisplaySurface* restoreTarget, DisplaySurface* source,
               int32_t x, int32_t y, const RECT& rect, bool keyed) {
    const uint32_t flags = DDBLTFAST_WAIT | (keyed ? DDBLTFAST_SRCCOLORKEY : 0);
    for (int lost = 0;;) {
        const DDRESULT r = target->BltFast(x, y, source, &rect, flags);
        if (r == DDERR_WASSTILLDRAWING) continue;
        if (r != DDERR_SURFACELOST || ++lost > kLostRetries) return;
        if (restoreTarget->Restore() != DD_OK) {
            ShutdownDisplay();
            return;
        }
    }
}
}  // namespace

void RegisterResourceImage(ResourceImage& image, int32_t id, int16_t frames) {
    const int row = FindRow(id);
    if (row < 0 || frames <= 0) {
        ShutdownDisplay();
        return;
    }
    uint8_t header[128];
    FILE* file = OpenFile(ResourceImageTable[row].path, "rb");
    if (!file) {
        ShutdownDisplay();
        return;
    }
    const size_t got = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    int32_t width = 0, height = 0;
    std::string error;
    if (!ReadResourceHeader(header, got, ResourceImageTable[row].type, width, height, error)) {
        ShutdownDisplay();
        return;
    }
    FillRecord(image, row, width, height, frames);
}

void LoadResourceImage(ResourceImage& image, int32_t id, int16_t frames) {
    const int row = FindRow(id);
    if (row < 0 || frames <= 0) {
        ShutdownDisplay();
        return;
    }
    if (!DisplayIsUp()) return;
    if (!gRowSurface[row] && !DecodeRow(row)) {
        ShutdownDisplay();
        return;
    }
    DDSURFACEDESC desc;
    if (gRowSurface[row]->GetSurfaceDesc(desc) != DD_OK) {
        ShutdownDisplay();
        return;
    }
    FillRecord(image, row, desc.width, desc.height, frames);
}

void DrawResourceFrame(ResourceImage& image, int32_t frame, int32_t x, int32_t y,
                       const FadeRect* clip, bool keyed) {
    DisplaySurface* source = SurfaceForDraw(image);
    if (!source) return;
    RECT rect;
    if (!ClipFrame(image, frame, x, y, clip ? *clip : FadeRect{}, rect)) return;
    BlitFrame(gDisplay.backBuffer.get(), gDisplay.primary.get(), source, x, y, rect, keyed);
}

void DrawResourceFrameToWork(int n, ResourceImage& image, int32_t frame, int32_t x, int32_t y,
                             const FadeRect* clip, bool keyed) {
    DisplaySurface* source = SurfaceForDraw(image);
    DisplaySurface* work = DisplayWorkSurface(n);
    if (!source || !work) return;
    FadeRect limited = clip ? *clip : FadeRect{};
    if (limited.x1 > ScreenWidth) limited.x1 = ScreenWidth;
    RECT rect;
    if (!ClipFrame(image, frame, x, y, limited, rect)) return;
    BlitFrame(work, work, source, x, y, rect, keyed);
}

bool ReadResourceRows(int32_t id, ResourceRows& rows) {
    rows = ResourceRows{};
    const int row = FindRow(id);
    if (row < 0 || !gRowSurface[row]) return false;
    DisplaySurface* surface = gRowSurface[row].get();
    DDSURFACEDESC desc;
    DDRESULT r = surface->Lock(nullptr, desc, DDLOCK_WAIT);
    if (r == DDERR_SURFACELOST) {
        if (surface->Restore() != DD_OK) return ShutdownDisplay();
        r = surface->Lock(nullptr, desc, DDLOCK_WAIT);
    }
    if (r != DD_OK) return ShutdownDisplay();
    rows.width = desc.width;
    rows.height = desc.height;
    rows.rows.resize(static_cast<size_t>(desc.height));
    for (int32_t y = 0; y < desc.height; ++y)
        rows.rows[static_cast<size_t>(y)] = desc.surface + static_cast<ptrdiff_t>(y) * desc.pitch;
    surface->Unlock();
    return true;
}

void ReleaseResourceImages() {
    for (auto& surface : gRowSurface) surface.reset();
}

DisplaySurface* ResourceImageSurface(int32_t id) {
    const int row = FindRow(id);
    return row >= 0 ? gRowSurface[row].get() : nullptr;
}
