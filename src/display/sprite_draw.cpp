// Finding sprite frames by path and drawing them.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "display/sprites.h"
#include "platform/compositor.h"

namespace {
// True when `name` is a prefix of `path`, ASCII letters compared without regard to case.
bool NameStartsPath(const std::string& name, const char* path) {
    for (size_t i = 0; i < name.size(); ++i) {
        char a = path[i], b = name[i];
        if (a == 0) return false;
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

// Holds a surface's pixels locked for the life of the value.
class LockedPixels {
  public:
    explicit LockedPixels(DisplaySurface* surface) : surface_(surface) {
        locked_ = surface_->Lock(nullptr, desc_, DDLOCK_WAIT) == DD_OK && desc_.surface;
    }
    ~LockedPixels() {
        if (locked_) surface_->Unlock();
    }
    LockedPixels(const LockedPixels&) = delete;
    LockedPixels& operator=(const LockedPixels&) = delete;
    bool Locked() const { return locked_; }
    PixelView View() const {
        return PixelView{desc_.surface, desc_.pitch, desc_.width, desc_.height,
                         static_cast<int>(desc_.pixelFormat.rgbBitCount / 8)};
    }

  private:
    DisplaySurface* surface_;
    DDSURFACEDESC desc_;
    bool locked_ = false;
};

// Compositing: the sprite's pixels go through the compositor with key or alpha, opacity, gamma
// and rotation, converted to the destination's format.
bool DrawComposited(DisplaySurface* source, const RECT& s, DisplaySurface* destination,
                    const RECT& d, float sx, float sy, float angle, bool alpha, float opacity,
                    float gamma, int32_t cx, int32_t cy) {
    LockedPixels target(destination);
    if (!target.Locked()) return false;
    LockedPixels sprite(source);
    if (!sprite.Locked()) return false;
    PixelView from = sprite.View();
    if (from.bytesPerPixel != 4) return false;
    if (s.left < 0 || s.top < 0 || s.right > from.width || s.bottom > from.height ||
        s.left > s.right || s.top > s.bottom)
        return false;
    int32_t sw = s.right - s.left, sh = s.bottom - s.top;
    CompositorBitmap bitmap = WrapPixels(from.pixels + static_cast<ptrdiff_t>(s.top) * from.pitch +
                                             static_cast<ptrdiff_t>(s.left) * 4,
                                         sw, sh, from.pitch, alpha);
    DrawAttributes attributes;
    if (angle != 0) {
        int32_t centreX = sw >> 1, centreY = sh >> 1;
        if (cx >= 0 && cx < 2 * (sw >> 1)) centreX = sx != 1 ? static_cast<int32_t>(cx * sx) : cx;
        if (cy >= 0 && cy < 2 * (sh >> 1)) centreY = sy != 1 ? static_cast<int32_t>(cy * sy) : cy;
        attributes.angle = angle;
        attributes.pivotX = static_cast<float>(d.left) + static_cast<float>(centreX);
        attributes.pivotY = static_cast<float>(d.top) + static_cast<float>(centreY);
    }
    if (!alpha) {
        attributes.colourKey = true;
        attributes.keyLow = ImageManager.spriteKeyLow;
        attributes.keyHigh = ImageManager.spriteKeyHigh;
    }
    attributes.gamma = gamma;
    if (opacity != 0) attributes.opacity = opacity;
    CompositorRect to{static_cast<float>(d.left), static_cast<float>(d.top),
                      static_cast<float>(int64_t{d.right} - d.left),
                      static_cast<float>(int64_t{d.bottom} - d.top)};
    CompositorRect part{0, 0, static_cast<float>(sw), static_cast<float>(sh)};
    return CompositorDraw(target.View(), bitmap, to, part, attributes);
}

// The direct path: a keyed copy, cut to the destination.
bool DrawDirect(DisplaySurface* source, RECT s, DisplaySurface* destination, RECT d) {
    int32_t width = destination->Width(), height = destination->Height();
    if (d.right < 0 || d.left >= width || d.bottom < 0 || d.top >= height) return false;
    if (destination->PixelFormat().rgbBitCount == 32) {
        // A stretched copy: the blit cuts both rectangles to their surfaces itself.
        if (d.right - d.left != s.right - s.left || d.bottom - d.top != s.bottom - s.top)
            return destination->Blt(&d, source, &s, DDBLT_KEYSRC | DDBLT_WAIT, nullptr) == DD_OK;
        if (d.left < 0) s.left -= d.left, d.left = 0;
        if (d.top < 0) s.top -= d.top, d.top = 0;
        if (d.right > width) s.right -= d.right - width, d.right = width;
        if (d.bottom > height) s.bottom -= d.bottom - height, d.bottom = height;
        if (s.left >= s.right || s.top >= s.bottom) return false;
        return destination->BltFast(d.left, d.top, source, &s,
                                    DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT) == DD_OK;
    }
    // Other depths need a conversion: the compositor's keyed copy does it, and clips.
    return DrawComposited(source, s, destination, d, 1, 1, 0, false, 1, 0, -1, -1);
}
}  // namespace

const RECT* GetFrameRect(const char* path, int32_t frame) {
    if (!path) return nullptr;
    for (const SpriteRecord& record : ImageManager.records) {
        if (record.name.empty() || frame >= record.frameCount || frame < 0) continue;
        if (!NameStartsPath(record.name, path)) continue;
        int32_t frameHeight = record.height / record.frameCount;
        ImageManager.frameRect =
            RECT{0, frame * frameHeight, record.width, (frame + 1) * frameHeight};
        return &ImageManager.frameRect;
    }
    return nullptr;
}

bool DrawSprite(DisplaySurface* source, const RECT* rect, DisplaySurface* destination, int32_t x,
                int32_t y, float scaleX, float scaleY, float angle, bool alpha, float opacity,
                float gamma, int32_t cx, int32_t cy) {
    if (!source || !destination) return false;
    RECT s;
    if (rect) {
        s = *rect;
    } else {
        DDSURFACEDESC desc;
        if (source->GetSurfaceDesc(desc) != DD_OK) return false;
        s = RECT{0, 0, desc.width, desc.height};
    }
    int64_t width = int64_t{s.right} - s.left, height = int64_t{s.bottom} - s.top;
    if (scaleX != 1) width = static_cast<int64_t>(static_cast<double>(width) * scaleX);
    if (scaleY != 1) height = static_cast<int64_t>(static_cast<double>(height) * scaleY);
    // Positions and sizes beyond what a surface can hold draw nothing.
    if (std::llabs(x + width) > (int64_t{1} << 30) || std::llabs(y + height) > (int64_t{1} << 30) ||
        std::llabs(width) > (int64_t{1} << 30) || std::llabs(height) > (int64_t{1} << 30))
        return false;
    RECT d{x, y, static_cast<int32_t>(x + width), static_cast<int32_t>(y + height)};
    if (angle != 0 || opacity != 0 || gamma != 0 || alpha)
        return DrawComposited(source, s, destination, d, scaleX, scaleY, angle, alpha, opacity,
                              gamma, cx, cy);
    return DrawDirect(source, s, destination, d);
}
