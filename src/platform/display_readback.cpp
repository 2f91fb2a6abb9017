// Reading a surface back as plain RGBA, for tests, tools and screenshots.
#include "platform/display_device.h"
#include "platform/png.h"

bool ReadSurfaceRgba(DisplaySurface& surface, std::vector<uint8_t>& rgba) {
    const uint8_t* pixels = surface.Pixels();
    if (!pixels) return false;
    const int32_t w = surface.Width(), h = surface.Height(), bpp = surface.BytesPerPixel();
    rgba.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    uint8_t* out = rgba.data();
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* p = pixels + static_cast<ptrdiff_t>(y) * surface.Pitch();
        for (int32_t x = 0; x < w; ++x, p += bpp, out += 4) {
            if (bpp == 2) {
                const uint32_t v = static_cast<uint32_t>(p[0] | (p[1] << 8));
                const uint32_t r = v >> 11, g = (v >> 5) & 63, b = v & 31;
                out[0] = static_cast<uint8_t>((r << 3) | (r >> 2));
                out[1] = static_cast<uint8_t>((g << 2) | (g >> 4));
                out[2] = static_cast<uint8_t>((b << 3) | (b >> 2));
            } else {
                out[0] = p[2];
                out[1] = p[1];
                out[2] = p[0];
            }
            out[3] = 255;
        }
    }
    return true;
}

bool WriteSurfacePng(DisplaySurface& surface, const std::string& path) {
    std::vector<uint8_t> rgba;
    return ReadSurfaceRgba(surface, rgba) &&
           WritePng(path, rgba, surface.Width(), surface.Height());
}
