#include "platform/compositor.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

namespace {
// Per-draw constants: what turns a source pixel into colour and coverage.
struct Shader {
    bool alpha = false;
    bool key = false;
    uint8_t keyLow[3] = {0, 0, 0};  // blue, green, red
    uint8_t keyHigh[3] = {0, 0, 0};
    uint32_t opacity255 = 255;
    bool gamma = false;
    uint8_t gammaTable[256] = {};
};

Shader MakeShader(const CompositorBitmap& source, const DrawAttributes& a) {
    Shader sh;
    sh.alpha = source.alpha;
    sh.key = a.colourKey;
    for (int c = 0; c < 3; ++c) {
        sh.keyLow[c] = static_cast<uint8_t>(a.keyLow >> (8 * c));
        sh.keyHigh[c] = static_cast<uint8_t>(a.keyHigh >> (8 * c));
    }
    float op = std::isnan(a.opacity) ? 0.0f : std::clamp(a.opacity, 0.0f, 1.0f);
    sh.opacity255 = static_cast<uint32_t>(std::lround(op * 255.0f));
    if (a.gamma > 0.0f && a.gamma != 1.0f && std::isfinite(a.gamma)) {
        sh.gamma = true;
        for (int i = 0; i < 256; ++i)
            sh.gammaTable[i] = static_cast<uint8_t>(
                std::lround(255.0 * std::pow(i / 255.0, static_cast<double>(a.gamma))));
    }
    return sh;
}

// The colour (blue, green, red) and coverage a source pixel contributes.
inline uint32_t Shade(const Shader& sh, const uint8_t* s, uint8_t bgr[3]) {
    if (sh.key && s[0] >= sh.keyLow[0] && s[0] <= sh.keyHigh[0] && s[1] >= sh.keyLow[1] &&
        s[1] <= sh.keyHigh[1] && s[2] >= sh.keyLow[2] && s[2] <= sh.keyHigh[2])
        return 0;
    uint32_t a = sh.alpha ? s[3] : 255u;
    a = Div255(a * sh.opacity255);
    for (int c = 0; c < 3; ++c) bgr[c] = sh.gamma ? sh.gammaTable[s[c]] : s[c];
    return a;
}

inline uint8_t Over(uint32_t s, uint32_t d, uint32_t a) {
    return static_cast<uint8_t>(Div255(s * a + d * (255 - a)));
}

// Blends one shaded pixel into a destination pixel of 2, 3 or 4 bytes.
inline void BlendPixel(uint8_t* d, int bytes, const uint8_t bgr[3], uint32_t a) {
    if (a == 0) return;
    if (bytes >= 3) {
        for (int c = 0; c < 3; ++c) d[c] = Over(bgr[c], d[c], a);
        return;
    }
    uint32_t v = d[0] | (d[1] << 8);
    uint32_t r5 = v >> 11, g6 = (v >> 5) & 63, b5 = v & 31;
    uint32_t r = Over(bgr[2], (r5 << 3) | (r5 >> 2), a);
    uint32_t g = Over(bgr[1], (g6 << 2) | (g6 >> 4), a);
    uint32_t b = Over(bgr[0], (b5 << 3) | (b5 >> 2), a);
    v = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    d[0] = static_cast<uint8_t>(v);
    d[1] = static_cast<uint8_t>(v >> 8);
}

// One row of an untransformed draw onto 2- or 3-byte pixels.
void BlendRowScalar(uint8_t* d, int bytes, const uint8_t* s, int n, const Shader& sh) {
    for (int i = 0; i < n; ++i, d += bytes, s += 4) {
        uint8_t bgr[3];
        uint32_t a = Shade(sh, s, bgr);
        BlendPixel(d, bytes, bgr, a);
    }
}

// One row of an untransformed draw onto 32-bit pixels, four pixels at a time with SSE2.
// kAlpha: the source carries alpha; kKey: the colour-key range applies; kFull: opacity is 1.
template <bool kAlpha, bool kKey, bool kFull>
void BlendRow32(uint8_t* d, const uint8_t* s, int n, const Shader& sh) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i colourMask = _mm_set1_epi32(0x00FFFFFF);
    const __m128i c255 = _mm_set1_epi16(255);
    const __m128i c128 = _mm_set1_epi16(128);
    const __m128i ones = _mm_set1_epi32(-1);
    const __m128i c255x4 = _mm_set1_epi32(255);
    const __m128i op = _mm_set1_epi32(static_cast<int>(sh.opacity255));
    const __m128i keyLow =
        _mm_set1_epi32(static_cast<int>(sh.keyLow[0] | (sh.keyLow[1] << 8) | (sh.keyLow[2] << 16)));
    const __m128i keyHigh = _mm_set1_epi32(static_cast<int>(sh.keyHigh[0] | (sh.keyHigh[1] << 8) |
                                                            (sh.keyHigh[2] << 16) | 0xFF000000u));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * i));
        __m128i* out = reinterpret_cast<__m128i*>(d + 4 * i);
        if (!kAlpha) src = _mm_or_si128(src, alphaMask);
        __m128i keyed = zero;
        if (kKey) {
            __m128i inLow = _mm_cmpeq_epi8(_mm_max_epu8(src, keyLow), src);
            __m128i inHigh = _mm_cmpeq_epi8(_mm_min_epu8(src, keyHigh), src);
            keyed = _mm_cmpeq_epi32(_mm_and_si128(inLow, inHigh), ones);
            src = _mm_andnot_si128(keyed, src);
        }
        if (!kAlpha && kFull) {
            // Opaque: each pixel is either the source's colour or, where keyed, left alone. The
            // destination is read only when the four pixels are mixed.
            int hidden = kKey ? _mm_movemask_epi8(keyed) : 0;
            if (hidden == 0xFFFF) continue;
            if (hidden != 0)
                src = _mm_or_si128(_mm_andnot_si128(keyed, src),
                                   _mm_and_si128(keyed, _mm_loadu_si128(out)));
            _mm_storeu_si128(out, src);
            continue;
        }
        __m128i a = _mm_srli_epi32(src, 24);
        if (!kFull) {
            // a * opacity fits 16 bits, and the high half of each 32-bit lane stays zero.
            __m128i t = _mm_add_epi16(_mm_mullo_epi16(a, op), c128);
            a = _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
            src = _mm_or_si128(_mm_and_si128(src, colourMask), _mm_slli_epi32(a, 24));
        }
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, zero)) == 0xFFFF) continue;
        if (kFull && _mm_movemask_epi8(_mm_cmpeq_epi32(a, c255x4)) == 0xFFFF) {
            _mm_storeu_si128(out, src);
            continue;
        }
        __m128i dst = _mm_loadu_si128(out);
        __m128i sLo = _mm_unpacklo_epi8(src, zero), sHi = _mm_unpackhi_epi8(src, zero);
        __m128i dLo = _mm_unpacklo_epi8(dst, zero), dHi = _mm_unpackhi_epi8(dst, zero);
        __m128i aLo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sLo, 0xFF), 0xFF);
        __m128i aHi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sHi, 0xFF), 0xFF);
        __m128i tLo = _mm_add_epi16(_mm_mullo_epi16(sLo, aLo),
                                    _mm_mullo_epi16(dLo, _mm_sub_epi16(c255, aLo)));
        __m128i tHi = _mm_add_epi16(_mm_mullo_epi16(sHi, aHi),
                                    _mm_mullo_epi16(dHi, _mm_sub_epi16(c255, aHi)));
        tLo = _mm_add_epi16(tLo, c128);
        tHi = _mm_add_epi16(tHi, c128);
        tLo = _mm_srli_epi16(_mm_add_epi16(tLo, _mm_srli_epi16(tLo, 8)), 8);
        tHi = _mm_srli_epi16(_mm_add_epi16(tHi, _mm_srli_epi16(tHi, 8)), 8);
        _mm_storeu_si128(out, _mm_packus_epi16(tLo, tHi));
    }
    for (; i < n; ++i) {
        uint8_t bgr[3];
        uint32_t a = Shade(sh, s + 4 * i, bgr);
        BlendPixel(d + 4 * i, 4, bgr, a);
    }
}

using Row32 = void (*)(uint8_t*, const uint8_t*, int, const Shader&);

Row32 PickRow32(const Shader& sh) {
    static constexpr Row32 kRows[8] = {
        BlendRow32<false, false, false>, BlendRow32<false, false, true>,
        BlendRow32<false, true, false>,  BlendRow32<false, true, true>,
        BlendRow32<true, false, false>,  BlendRow32<true, false, true>,
        BlendRow32<true, true, false>,   BlendRow32<true, true, true>,
    };
    return kRows[(sh.alpha ? 4 : 0) + (sh.key ? 2 : 0) + (sh.opacity255 == 255 ? 1 : 0)];
}

bool IsWhole(float v) {
    return std::floor(v) == v && std::fabs(v) < 1e9f;
}

// Same-size, unrotated drawing at a whole-pixel position.
void DrawUntransformed(const PixelView& target, const CompositorBitmap& source, int dx, int dy,
                       int sx, int sy, int w, int h, const Shader& sh) {
    int x0 = std::max(dx, 0), y0 = std::max(dy, 0);
    int x1 = static_cast<int>(std::min<int64_t>(int64_t{dx} + w, target.width));
    int y1 = static_cast<int>(std::min<int64_t>(int64_t{dy} + h, target.height));
    if (x0 >= x1 || y0 >= y1) return;
    int bytes = target.bytesPerPixel;
    bool vector = bytes == 4 && !sh.gamma;
    Row32 row = vector ? PickRow32(sh) : nullptr;
    for (int y = y0; y < y1; ++y) {
        uint8_t* d = target.pixels + static_cast<std::ptrdiff_t>(y) * target.pitch +
                     static_cast<std::ptrdiff_t>(x0) * bytes;
        const uint8_t* s = source.pixels + static_cast<std::ptrdiff_t>(sy + y - dy) * source.pitch +
                           static_cast<std::ptrdiff_t>(sx + x0 - dx) * 4;
        if (vector)
            row(d, s, x1 - x0, sh);
        else
            BlendRowScalar(d, bytes, s, x1 - x0, sh);
    }
}

// Sine and cosine of an angle in degrees, exact at multiples of 90 degrees.
void SinCosDegrees(double degrees, double& sine, double& cosine) {
    double turns = std::fmod(degrees, 360.0);
    if (turns < 0) turns += 360.0;
    if (std::fmod(turns, 90.0) == 0.0) {
        static constexpr double kSin[4] = {0, 1, 0, -1}, kCos[4] = {1, 0, -1, 0};
        int q = static_cast<int>(turns / 90.0) & 3;
        sine = kSin[q];
        cosine = kCos[q];
        return;
    }
    double r = turns * (std::numbers::pi / 180.0);
    sine = std::sin(r);
    cosine = std::cos(r);
}

// Any drawing: each destination pixel's centre is mapped back into the source.
void DrawTransformed(const PixelView& target, const CompositorBitmap& source,
                     const CompositorRect& dst, const CompositorRect& src, const DrawAttributes& a,
                     const Shader& sh) {
    double sine, cosine;
    SinCosDegrees(a.angle, sine, cosine);
    double px = a.pivotX, py = a.pivotY;
    // Bounding box of the rotated destination rectangle.
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (int corner = 0; corner < 4; ++corner) {
        double qx = dst.x + ((corner & 1) ? dst.width : 0.0) - px;
        double qy = dst.y + ((corner & 2) ? dst.height : 0.0) - py;
        double x = px + qx * cosine - qy * sine, y = py + qx * sine + qy * cosine;
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    double w = target.width, h = target.height;
    int x0 = static_cast<int>(std::clamp(std::floor(minX), 0.0, w));
    int y0 = static_cast<int>(std::clamp(std::floor(minY), 0.0, h));
    int x1 = static_cast<int>(std::clamp(std::ceil(maxX), 0.0, w));
    int y1 = static_cast<int>(std::clamp(std::ceil(maxY), 0.0, h));
    double scaleX = src.width / dst.width, scaleY = src.height / dst.height;
    int bytes = target.bytesPerPixel;
    for (int y = y0; y < y1; ++y) {
        uint8_t* row = target.pixels + static_cast<std::ptrdiff_t>(y) * target.pitch;
        double cy = y + 0.5 - py;
        for (int x = x0; x < x1; ++x) {
            double cx = x + 0.5 - px;
            // Undo the rotation, then the stretch.
            double ux = px + cx * cosine + cy * sine, uy = py - cx * sine + cy * cosine;
            double sx = src.x + (ux - dst.x) * scaleX, sy = src.y + (uy - dst.y) * scaleY;
            if (!(sx >= src.x && sx < src.x + src.width && sy >= src.y && sy < src.y + src.height))
                continue;
            int ix = std::min(static_cast<int>(sx), source.width - 1);
            int iy = std::min(static_cast<int>(sy), source.height - 1);
            const uint8_t* s = source.pixels + static_cast<std::ptrdiff_t>(iy) * source.pitch +
                               static_cast<std::ptrdiff_t>(ix) * 4;
            uint8_t bgr[3];
            uint32_t alpha = Shade(sh, s, bgr);
            BlendPixel(row + static_cast<std::ptrdiff_t>(x) * bytes, bytes, bgr, alpha);
        }
    }
}

bool Finite(const CompositorRect& r) {
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) &&
           std::isfinite(r.height);
}
}  // namespace

CompositorBitmap WrapPixels(const uint8_t* first, int width, int height, int pitch, bool alpha) {
    return CompositorBitmap{first, pitch, width, height, alpha};
}

bool CompositorDraw(const PixelView& target, const CompositorBitmap& source,
                    const CompositorRect& destination, const CompositorRect& sourceRect,
                    const DrawAttributes& attributes) {
    if (!target.pixels || !source.pixels) return false;
    if (target.bytesPerPixel < 2 || target.bytesPerPixel > 4) return false;
    if (target.width < 0 || target.height < 0 || source.width < 0 || source.height < 0)
        return false;
    if (!Finite(destination) || !Finite(sourceRect) || !std::isfinite(attributes.angle) ||
        !std::isfinite(attributes.pivotX) || !std::isfinite(attributes.pivotY))
        return false;
    const CompositorRect& s = sourceRect;
    if (s.x < 0 || s.y < 0 || s.width < 0 || s.height < 0 || s.x + s.width > source.width ||
        s.y + s.height > source.height)
        return false;
    if (s.width == 0 || s.height == 0 || destination.width <= 0 || destination.height <= 0)
        return true;
    Shader sh = MakeShader(source, attributes);
    if (sh.opacity255 == 0) return true;
    bool plain = std::fmod(attributes.angle, 360.0f) == 0.0f && destination.width == s.width &&
                 destination.height == s.height && IsWhole(destination.x) &&
                 IsWhole(destination.y) && IsWhole(s.x) && IsWhole(s.y) && IsWhole(s.width) &&
                 IsWhole(s.height);
    if (plain)
        DrawUntransformed(target, source, static_cast<int>(destination.x),
                          static_cast<int>(destination.y), static_cast<int>(s.x),
                          static_cast<int>(s.y), static_cast<int>(s.width),
                          static_cast<int>(s.height), sh);
    else
        DrawTransformed(target, source, destination, s, attributes, sh);
    return true;
}
