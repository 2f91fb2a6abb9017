// Rectangle copies between surfaces of one pixel format: plain, colour-keyed, stretched, and
// colour fills.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/display_device.h"
#include "platform/headless.h"

namespace {
// A block of pixels: the first byte, the row step, the size in pixels and bytes per pixel.
struct Block {
    uint8_t* at;
    int32_t pitch;
    int32_t width;
    int32_t height;
    int32_t bpp;
};

inline uint32_t ReadPixel(const uint8_t* p, int32_t bpp) {
    if (bpp == 2) return static_cast<uint32_t>(p[0] | (p[1] << 8));
    if (bpp == 3) return static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void WritePixel(uint8_t* p, int32_t bpp, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    if (bpp >= 3) p[2] = static_cast<uint8_t>(v >> 16);
    if (bpp == 4) p[3] = static_cast<uint8_t>(v >> 24);
}

// Which pixel values a key makes transparent: (value & mask) in low..high.
struct KeyTest {
    uint32_t mask, low, span;
    bool Transparent(uint32_t v) const { return ((v & mask) - low) <= span; }
};

KeyTest MakeKeyTest(const DDCOLORKEY& key, const DDPIXELFORMAT& format) {
    const uint32_t mask = format.redMask | format.greenMask | format.blueMask;
    const uint32_t low = key.low & mask;
    const uint32_t high = std::max(low, key.high & mask);
    return KeyTest{mask, low, high - low};
}

void FillBlock(const Block& d, uint32_t colour) {
    const size_t rowBytes = static_cast<size_t>(d.width) * static_cast<size_t>(d.bpp);
    if (d.width <= 0 || d.height <= 0) return;
    std::vector<uint8_t> row(rowBytes);
    for (int32_t x = 0; x < d.width; ++x) WritePixel(row.data() + x * d.bpp, d.bpp, colour);
    for (int32_t y = 0; y < d.height; ++y)
        std::memcpy(d.at + static_cast<ptrdiff_t>(y) * d.pitch, row.data(), rowBytes);
}

// Same-size copy; the blocks may overlap (same surface), rows are copied in a safe order.
void CopyBlock(const Block& d, const Block& s) {
    const size_t rowBytes = static_cast<size_t>(s.width) * static_cast<size_t>(s.bpp);
    if (d.at > s.at) {
        for (int32_t y = s.height - 1; y >= 0; --y)
            std::memmove(d.at + static_cast<ptrdiff_t>(y) * d.pitch,
                         s.at + static_cast<ptrdiff_t>(y) * s.pitch, rowBytes);
    } else {
        for (int32_t y = 0; y < s.height; ++y)
            std::memmove(d.at + static_cast<ptrdiff_t>(y) * d.pitch,
                         s.at + static_cast<ptrdiff_t>(y) * s.pitch, rowBytes);
    }
}

// Same-size copy that leaves the destination alone where the source matches the key.
void CopyBlockKeyed(const Block& d, const Block& s, const KeyTest& key) {
    for (int32_t y = 0; y < s.height; ++y) {
        const uint8_t* sp = s.at + static_cast<ptrdiff_t>(y) * s.pitch;
        uint8_t* dp = d.at + static_cast<ptrdiff_t>(y) * d.pitch;
        if (s.bpp == 4) {
            for (int32_t x = 0; x < s.width; ++x) {
                uint32_t v;
                std::memcpy(&v, sp + 4 * x, 4);
                if (!key.Transparent(v)) std::memcpy(dp + 4 * x, &v, 4);
            }
        } else if (s.bpp == 2) {
            for (int32_t x = 0; x < s.width; ++x) {
                uint16_t v;
                std::memcpy(&v, sp + 2 * x, 2);
                if (!key.Transparent(v)) std::memcpy(dp + 2 * x, &v, 2);
            }
        } else {
            for (int32_t x = 0; x < s.width; ++x) {
                const uint32_t v = ReadPixel(sp + 3 * x, 3);
                if (!key.Transparent(v)) WritePixel(dp + 3 * x, 3, v);
            }
        }
    }
}

// Nearest-pixel stretch of s onto d, optionally keyed.
void StretchBlock(const Block& d, const Block& s, const KeyTest* key) {
    std::vector<int32_t> columns(static_cast<size_t>(d.width));
    for (int32_t x = 0; x < d.width; ++x)
        columns[static_cast<size_t>(x)] =
            static_cast<int32_t>(int64_t{x} * s.width / d.width) * s.bpp;
    for (int32_t y = 0; y < d.height; ++y) {
        const int32_t sy = static_cast<int32_t>(int64_t{y} * s.height / d.height);
        const uint8_t* sp = s.at + static_cast<ptrdiff_t>(sy) * s.pitch;
        uint8_t* dp = d.at + static_cast<ptrdiff_t>(y) * d.pitch;
        for (int32_t x = 0; x < d.width; ++x) {
            const uint32_t v = ReadPixel(sp + columns[static_cast<size_t>(x)], s.bpp);
            if (!key || !key->Transparent(v)) WritePixel(dp + x * d.bpp, d.bpp, v);
        }
    }
}

bool ValidRect(const RECT& r) {
    return r.left <= r.right && r.top <= r.bottom;
}

int32_t Scale(int32_t amount, int32_t to, int32_t from) {
    return static_cast<int32_t>(int64_t{amount} * to / from);
}

// Cuts rectangle a to 0..w x 0..h, cutting b by the same share (b is a's counterpart).
void ClipPair(RECT& a, RECT& b, int32_t w, int32_t h) {
    const int32_t aw = std::max(1, a.right - a.left), ah = std::max(1, a.bottom - a.top);
    const int32_t bw = b.right - b.left, bh = b.bottom - b.top;
    if (a.left < 0) {
        b.left += Scale(-a.left, bw, aw);
        a.left = 0;
    }
    if (a.top < 0) {
        b.top += Scale(-a.top, bh, ah);
        a.top = 0;
    }
    if (a.right > w) {
        b.right -= Scale(a.right - w, bw, aw);
        a.right = w;
    }
    if (a.bottom > h) {
        b.bottom -= Scale(a.bottom - h, bh, ah);
        a.bottom = h;
    }
}

// Keeps r inside 0..w x 0..h whatever rounding did; false when nothing is left.
bool Clamp(RECT& r, int32_t w, int32_t h) {
    r.left = std::clamp(r.left, 0, w);
    r.right = std::clamp(r.right, 0, w);
    r.top = std::clamp(r.top, 0, h);
    r.bottom = std::clamp(r.bottom, 0, h);
    return r.left < r.right && r.top < r.bottom;
}

Block BlockOf(uint8_t* pixels, int32_t pitch, int32_t bpp, const RECT& r) {
    return Block{
        pixels + static_cast<ptrdiff_t>(r.top) * pitch + static_cast<ptrdiff_t>(r.left) * bpp,
        pitch, r.right - r.left, r.bottom - r.top, bpp};
}
}  // namespace

DDRESULT DisplaySurface::Blt(const RECT* destRect, DisplaySurface* src, const RECT* srcRect,
                             uint32_t flags, const DDBLTFX* fx) {
    if (DDRESULT r = Enter(SurfaceOp::Blt); r != DD_OK) return r;
    if (lost_ || !pixels_) return DDERR_SURFACELOST;
    if (locks_) return DDERR_SURFACEBUSY;
    RECT d = destRect ? *destRect : RECT{0, 0, width_, height_};
    if (!ValidRect(d)) return DDERR_INVALIDRECT;
    const int32_t bpp = BytesPerPixel();

    if (flags & DDBLT_COLORFILL) {
        if (!fx) return DDERR_INVALIDPARAMS;
        if (!Clamp(d, width_, height_)) return DD_OK;
        WillDraw(d.top, d.bottom);
        FillBlock(BlockOf(pixels_, pitch_, bpp, d), fx->fillColor);
        return DD_OK;
    }

    if (!src) return DDERR_INVALIDPARAMS;
    if (src->lost_ || !src->pixels_) return DDERR_SURFACELOST;
    if (src->locks_) return DDERR_SURFACEBUSY;
    if (src->format_.rgbBitCount != format_.rgbBitCount) return DDERR_INVALIDPIXELFORMAT;
    RECT s = srcRect ? *srcRect : RECT{0, 0, src->width_, src->height_};
    if (!ValidRect(s)) return DDERR_INVALIDRECT;

    KeyTest key{};
    const KeyTest* keyUsed = nullptr;
    if (flags & DDBLT_KEYSRCOVERRIDE) {
        if (!fx) return DDERR_INVALIDPARAMS;
        key = MakeKeyTest(fx->srcColorKeyOverride, src->format_);
        keyUsed = &key;
    } else if (flags & DDBLT_KEYSRC) {
        if (!src->hasSrcKey_) return DDERR_NOCOLORKEY;
        key = MakeKeyTest(src->srcKey_, src->format_);
        keyUsed = &key;
    }

    if (s.right == s.left || s.bottom == s.top || d.right == d.left || d.bottom == d.top)
        return DD_OK;
    ClipPair(s, d, src->width_, src->height_);
    ClipPair(d, s, width_, height_);
    if (!Clamp(s, src->width_, src->height_) || !Clamp(d, width_, height_)) return DD_OK;

    WillDraw(d.top, d.bottom);
    src->SettleBackCopy();
    Block sb = BlockOf(src->pixels_, src->pitch_, bpp, s);
    Block db = BlockOf(pixels_, pitch_, bpp, d);
    const bool sameSize = sb.width == db.width && sb.height == db.height;
    std::vector<uint8_t> copy;
    if (src == this && (!sameSize || keyUsed)) {
        // Reading and writing one surface: take the source out first.
        const int32_t rowBytes = sb.width * bpp;
        copy.resize(static_cast<size_t>(rowBytes) * static_cast<size_t>(sb.height));
        for (int32_t y = 0; y < sb.height; ++y)
            std::memcpy(copy.data() + static_cast<size_t>(y) * static_cast<size_t>(rowBytes),
                        sb.at + static_cast<ptrdiff_t>(y) * sb.pitch,
                        static_cast<size_t>(rowBytes));
        sb.at = copy.data();
        sb.pitch = rowBytes;
    }
    if (!sameSize)
        StretchBlock(db, sb, keyUsed);
    else if (keyUsed)
        CopyBlockKeyed(db, sb, *keyUsed);
    else
        CopyBlock(db, sb);
    return DD_OK;
}

DDRESULT DisplaySurface::BltFast(int32_t x, int32_t y, DisplaySurface* src, const RECT* srcRect,
                                 uint32_t flags) {
    if (DDRESULT r = Enter(SurfaceOp::BltFast); r != DD_OK) return r;
    if (lost_ || !pixels_) return DDERR_SURFACELOST;
    if (!src) return DDERR_INVALIDPARAMS;
    if (src->lost_ || !src->pixels_) return DDERR_SURFACELOST;
    if (locks_ || src->locks_) return DDERR_SURFACEBUSY;
    if (src->format_.rgbBitCount != format_.rgbBitCount) return DDERR_INVALIDPIXELFORMAT;
    const RECT s = srcRect ? *srcRect : RECT{0, 0, src->width_, src->height_};
    if (!ValidRect(s) || s.left < 0 || s.top < 0 || s.right > src->width_ ||
        s.bottom > src->height_)
        return DDERR_INVALIDRECT;
    const int64_t right = int64_t{x} + (s.right - s.left);
    const int64_t bottom = int64_t{y} + (s.bottom - s.top);
    if (x < 0 || y < 0 || right > width_ || bottom > height_) return DDERR_INVALIDRECT;
    if (s.right == s.left || s.bottom == s.top) return DD_OK;

    // A back buffer wholly covered by an unkeyed copy: from its own front the copy can wait
    // until one of the two is touched; from anywhere else no pixel of the old picture remains.
    const bool whole =
        x == 0 && y == 0 && s.right - s.left == width_ && s.bottom - s.top == height_;
    if (whole && !(flags & DDBLTFAST_SRCCOLORKEY) && primary_ && src != this) {
        if (src == primary_) {
            primary_->backMatches_ = true;
            return DD_OK;
        }
        primary_->backMatches_ = false;
    }
    WillDraw(y, static_cast<int32_t>(bottom));
    src->SettleBackCopy();

    const int32_t bpp = BytesPerPixel();
    const RECT d{x, y, static_cast<int32_t>(right), static_cast<int32_t>(bottom)};
    const Block sb = BlockOf(src->pixels_, src->pitch_, bpp, s);
    const Block db = BlockOf(pixels_, pitch_, bpp, d);
    if (flags & DDBLTFAST_SRCCOLORKEY) {
        if (!src->hasSrcKey_) return DDERR_NOCOLORKEY;
        const KeyTest key = MakeKeyTest(src->srcKey_, src->format_);
        if (src == this) {
            // Same surface: read the old pixels from a copy, whatever the overlap.
            const int32_t rowBytes = sb.width * bpp;
            std::vector<uint8_t> copy(static_cast<size_t>(rowBytes) *
                                      static_cast<size_t>(sb.height));
            for (int32_t row = 0; row < sb.height; ++row)
                std::memcpy(copy.data() + static_cast<size_t>(row) * static_cast<size_t>(rowBytes),
                            sb.at + static_cast<ptrdiff_t>(row) * sb.pitch,
                            static_cast<size_t>(rowBytes));
            CopyBlockKeyed(db, Block{copy.data(), rowBytes, sb.width, sb.height, bpp}, key);
            return DD_OK;
        }
        CopyBlockKeyed(db, sb, key);
    } else {
        CopyBlock(db, sb);
    }
    return DD_OK;
}
