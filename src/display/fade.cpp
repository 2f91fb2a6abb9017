// The cross-fade: two full-screen pictures read once from work surfaces 1 and 0, blended per frame
// into work surface 0 and copied to the back buffer.
//
// A picture keeps one entry per screen pixel, rows of 800: at 24 and 32 bits the three components
// blue, green, red as bytes 0-2 of a 32-bit value (byte 3 zero); at 16 bits the 5-6-5 value itself,
// whose fields are the components. The blend works on each component c as
// source + (target - source) * p / 100 in integers, the quotient truncated toward zero; SSE2 does
// eight components at once and gives exactly the same values.
#include <emmintrin.h>

#include <cstring>
#include <vector>

#include "display/display_state.h"

namespace {
struct FadePictures {
    std::vector<uint32_t> target32, source32;
    std::vector<uint16_t> target16, source16;
};
FadePictures gFade;

constexpr size_t kPicturePixels = size_t{ScreenWidth} * ScreenHeight;

// Locks a work surface whole, restoring it once when lost; a failure shuts the display down.
bool LockWork(DisplaySurface* work, DDSURFACEDESC& desc) {
    DDRESULT r = work->Lock(nullptr, desc, DDLOCK_WAIT);
    if (r == DDERR_SURFACELOST) {
        if (work->Restore() != DD_OK) return ShutdownDisplay();
        r = work->Lock(nullptr, desc, DDLOCK_WAIT);
    }
    if (r != DD_OK) return ShutdownDisplay();
    return true;
}

void Capture(int n, std::vector<uint32_t>& picture32, std::vector<uint16_t>& picture16,
             const FadeRect* fade) {
    DisplaySurface* work = DisplayWorkSurface(n);
    if (!work) return;
    const RECT r = FadeToSurfaceRect(fade);
    DDSURFACEDESC desc;
    if (!LockWork(work, desc)) return;
    const int32_t depth = gDisplay.depth;
    if (depth == 16 && picture16.empty()) picture16.assign(kPicturePixels, 0);
    if (depth != 16 && picture32.empty()) picture32.assign(kPicturePixels, 0);
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const uint8_t* row = desc.surface + static_cast<ptrdiff_t>(y) * desc.pitch;
        const size_t at = static_cast<size_t>(y) * ScreenWidth;
        if (depth == 16) {
            std::memcpy(picture16.data() + at + r.left, row + 2 * r.left,
                        static_cast<size_t>(r.right - r.left) * 2);
        } else if (depth == 32) {
            uint32_t* out = picture32.data() + at;
            for (int32_t x = r.left; x < r.right; ++x) {
                uint32_t v;
                std::memcpy(&v, row + 4 * x, 4);
                out[x] = v & 0x00FFFFFFu;
            }
        } else {
            uint32_t* out = picture32.data() + at;
            for (int32_t x = r.left; x < r.right; ++x) {
                const uint8_t* p = row + 3 * x;
                out[x] = static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
            }
        }
    }
    work->Unlock();
}

inline int32_t BlendComponent(int32_t s, int32_t t, int32_t p) {
    return s + (t - s) * p / 100;
}

// (t - s) * p / 100 truncated toward zero, for |t - s| * p up to 25500, in 16-bit lanes:
// |x| / 100 is (|x| * 5243) >> 19 exactly over that range.
inline __m128i BlendLanes(__m128i s, __m128i t, __m128i p) {
    const __m128i x = _mm_mullo_epi16(_mm_sub_epi16(t, s), p);
    const __m128i sign = _mm_srai_epi16(x, 15);
    const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(x, sign), sign);
    const __m128i q = _mm_srli_epi16(_mm_mulhi_epu16(magnitude, _mm_set1_epi16(5243)), 3);
    return _mm_add_epi16(s, _mm_sub_epi16(_mm_xor_si128(q, sign), sign));
}

// The blend of 16 bytes of components at once. With d = |t - s|, the quotient d * p / 100 is
// (d * m) >> 16 for m = ceil(p * 65536 / 100), exactly for every d up to 255 and p below 100;
// it moves s toward t.
inline __m128i BlendBytes(__m128i s, __m128i t, __m128i m) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i up = _mm_subs_epu8(t, s), down = _mm_subs_epu8(s, t);
    const __m128i d = _mm_or_si128(up, down);
    const __m128i q = _mm_packus_epi16(_mm_mulhi_epu16(_mm_unpacklo_epi8(d, zero), m),
                                       _mm_mulhi_epu16(_mm_unpackhi_epi8(d, zero), m));
    return _mm_sub_epi8(_mm_add_epi8(s, _mm_min_epu8(q, up)), _mm_min_epu8(q, down));
}

// Stores four blended pixels on the back buffer; keyed, key-coloured ones leave it alone.
inline void StoreScreen32(uint8_t* screen, __m128i merged, __m128i colours, bool keyed) {
    if (keyed) {
        const __m128i isKey = _mm_cmpeq_epi32(_mm_and_si128(colours, _mm_set1_epi32(0x00FFFFFF)),
                                              _mm_set1_epi32(0x00FF00FF));
        const __m128i under = _mm_loadu_si128(reinterpret_cast<const __m128i*>(screen));
        merged = _mm_or_si128(_mm_and_si128(isKey, under), _mm_andnot_si128(isKey, merged));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(screen), merged);
}

// Writes the blend into a row of work surface 0 and, when screen is given, into the same row of
// the back buffer as the keyed or plain copy of the work surface would.
void BlendRow32(uint8_t* out, uint8_t* screen, const uint32_t* s, const uint32_t* t, int32_t n,
                int32_t p, bool keepKey) {
    const __m128i m = _mm_set1_epi16(static_cast<int16_t>((p * 65536 + 99) / 100));
    const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
    const __m128i key = _mm_set1_epi32(0x00FF00FF);
    int32_t x = 0;
    // At 100 per cent the target itself, whose key pixels are key already.
    if (p < 100) {
        // Four groups an iteration: the blends of neighbouring groups overlap in the processor.
#pragma GCC unroll 4
        for (; x + 4 <= n; x += 4) {
            const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
            const __m128i tv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + x));
            const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + 4 * x));
            __m128i blended = BlendBytes(sv, tv, m);
            if (keepKey) {
                const __m128i isKey = _mm_cmpeq_epi32(tv, key);
                blended = _mm_or_si128(_mm_and_si128(isKey, key), _mm_andnot_si128(isKey, blended));
            }
            // The fourth byte of each pixel stays as it was.
            const __m128i merged = _mm_or_si128(blended, _mm_andnot_si128(colour, old));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x), merged);
            if (screen) StoreScreen32(screen + 4 * x, merged, blended, keepKey);
        }
    } else {
        for (; x + 4 <= n; x += 4) {
            const __m128i tv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + x));
            const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + 4 * x));
            const __m128i merged = _mm_or_si128(tv, _mm_andnot_si128(colour, old));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x), merged);
            if (screen) StoreScreen32(screen + 4 * x, merged, tv, keepKey);
        }
    }
    for (; x < n; ++x) {
        uint8_t* o = out + 4 * x;
        if (keepKey && t[x] == 0x00FF00FFu) {
            o[0] = 255, o[1] = 0, o[2] = 255;
        } else {
            for (int c = 0; c < 3; ++c)
                o[c] = static_cast<uint8_t>(
                    BlendComponent((s[x] >> (8 * c)) & 255, (t[x] >> (8 * c)) & 255, p));
        }
        if (screen && !(keepKey && o[0] == 255 && o[1] == 0 && o[2] == 255))
            std::memcpy(screen + 4 * x, o, 4);
    }
}

void BlendRow24(uint8_t* out, const uint32_t* s, const uint32_t* t, int32_t n, int32_t p,
                bool keepKey) {
    for (int32_t x = 0; x < n; ++x) {
        uint8_t* o = out + 3 * x;
        if (keepKey && t[x] == 0x00FF00FFu) {
            o[0] = 255, o[1] = 0, o[2] = 255;
            continue;
        }
        for (int c = 0; c < 3; ++c)
            o[c] = static_cast<uint8_t>(
                BlendComponent((s[x] >> (8 * c)) & 255, (t[x] >> (8 * c)) & 255, p));
    }
}

inline uint16_t Blend565(uint16_t s, uint16_t t, int32_t p) {
    const int32_t r = BlendComponent(s >> 11, t >> 11, p);
    const int32_t g = BlendComponent((s >> 5) & 63, (t >> 5) & 63, p);
    const int32_t b = BlendComponent(s & 31, t & 31, p);
    return static_cast<uint16_t>((r << 11) + (g << 5) + b);
}

void BlendRow16(uint8_t* out, uint8_t* screen, const uint16_t* s, const uint16_t* t, int32_t n,
                int32_t p, bool keepKey) {
    const __m128i pv = _mm_set1_epi16(static_cast<int16_t>(p));
    const __m128i six = _mm_set1_epi16(63), five = _mm_set1_epi16(31);
    const __m128i key = _mm_set1_epi16(static_cast<int16_t>(0xF81F));
    int32_t x = 0;
    for (; x + 8 <= n; x += 8) {
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
        const __m128i tv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + x));
        const __m128i r = BlendLanes(_mm_srli_epi16(sv, 11), _mm_srli_epi16(tv, 11), pv);
        const __m128i g = BlendLanes(_mm_and_si128(_mm_srli_epi16(sv, 5), six),
                                     _mm_and_si128(_mm_srli_epi16(tv, 5), six), pv);
        const __m128i b = BlendLanes(_mm_and_si128(sv, five), _mm_and_si128(tv, five), pv);
        __m128i packed = _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, 11), _mm_slli_epi16(g, 5)), b);
        if (keepKey) {
            const __m128i isKey = _mm_cmpeq_epi16(tv, key);
            packed = _mm_or_si128(_mm_and_si128(isKey, key), _mm_andnot_si128(isKey, packed));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * x), packed);
        if (screen) {
            if (keepKey) {
                const __m128i isKey = _mm_cmpeq_epi16(packed, key);
                const __m128i under =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(screen + 2 * x));
                packed = _mm_or_si128(_mm_and_si128(isKey, under), _mm_andnot_si128(isKey, packed));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(screen + 2 * x), packed);
        }
    }
    for (; x < n; ++x) {
        const uint16_t v = keepKey && t[x] == 0xF81F ? uint16_t{0xF81F} : Blend565(s[x], t[x], p);
        out[2 * x] = static_cast<uint8_t>(v);
        out[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        if (screen && !(keepKey && v == 0xF81F)) std::memcpy(screen + 2 * x, out + 2 * x, 2);
    }
}
}  // namespace

void CaptureFadeTarget(const FadeRect* rect) {
    Capture(0, gFade.target32, gFade.target16, rect);
}

void CaptureFadeSource(const FadeRect* rect) {
    Capture(1, gFade.source32, gFade.source16, rect);
}

void BlendFade(int32_t p, const FadeRect* rect, int32_t mode) {
    if (p < 0 || p > 100) return;
    DisplaySurface* work = DisplayWorkSurface(0);
    if (!work) return;
    const int32_t depth = gDisplay.depth;
    // Pictures never captured read as black.
    if (depth == 16) {
        if (gFade.target16.empty()) gFade.target16.assign(kPicturePixels, 0);
        if (gFade.source16.empty()) gFade.source16.assign(kPicturePixels, 0);
    } else {
        if (gFade.target32.empty()) gFade.target32.assign(kPicturePixels, 0);
        if (gFade.source32.empty()) gFade.source32.assign(kPicturePixels, 0);
    }
    const RECT r = FadeToSurfaceRect(rect);
    DDSURFACEDESC desc;
    if (!LockWork(work, desc)) return;
    const bool keepKey = mode != 0;
    // At 16 and 32 bits the blend is written to the back buffer in the same pass, just as the
    // copy of work surface 0 would write it; otherwise (or when the back buffer cannot be locked
    // now) that copy follows, with its own lost-surface handling.
    DisplaySurface* back = gDisplay.backBuffer.get();
    DDSURFACEDESC backDesc;
    const bool direct = depth != 24 && back && back->Lock(nullptr, backDesc, DDLOCK_WAIT) == DD_OK;
    const int32_t n = r.right - r.left;
    for (int32_t y = r.top; y < r.bottom && n > 0; ++y) {
        const size_t at = static_cast<size_t>(y) * ScreenWidth + static_cast<size_t>(r.left);
        uint8_t* row = desc.surface + static_cast<ptrdiff_t>(y) * desc.pitch;
        uint8_t* screen =
            direct ? backDesc.surface + static_cast<ptrdiff_t>(y) * backDesc.pitch : nullptr;
        if (depth == 16)
            BlendRow16(row + 2 * r.left, screen ? screen + 2 * r.left : nullptr,
                       gFade.source16.data() + at, gFade.target16.data() + at, n, p, keepKey);
        else if (depth == 32)
            BlendRow32(row + 4 * r.left, screen ? screen + 4 * r.left : nullptr,
                       gFade.source32.data() + at, gFade.target32.data() + at, n, p, keepKey);
        else
            BlendRow24(row + 3 * r.left, gFade.source32.data() + at, gFade.target32.data() + at, n,
                       p, keepKey);
    }
    work->Unlock();
    if (direct)
        back->Unlock();
    else
        BlitWorkSurface(0, 0, 0, keepKey, r.left, r.top, r.right, r.bottom);
}
