// The compositor: draws 32-bit pictures, with their own alpha or opaque, onto pixel memory of 16,
// 24 or 32 bits, with a colour-key range, an opacity, gamma and a rotation about a point.
//
// Pixel layouts. Sources are 32-bit, four bytes per pixel in memory: blue, green, red, alpha
// (alpha is ignored, taken as 255, for an opaque source). Destinations are the display's layouts:
// 32 bits blue, green, red and a fourth byte that is not part of the colour (drawing may write
// anything there); 24 bits blue, green, red; 16 bits one little-endian word of red 5, green 6,
// blue 5 bits.
//
// Blending is straight (not premultiplied) alpha "over" an opaque destination, per channel:
//     out = div255(s * a + d * (255 - a))
// where div255(x) is x / 255 rounded to the nearest integer (x / 255 is never exactly half way
// for the values that occur), computed as (x + 128 + ((x + 128) >> 8)) >> 8. The alpha a is the
// source alpha scaled by the opacity: a = div255(alpha * round(opacity * 255)). So a pixel of
// alpha 255 at opacity 1 replaces the destination, alpha 0 leaves it unchanged, and at opacity
// 0.3 (round gives 77) the source weighs 77/255. A 16-bit destination is widened to 8 bits per
// channel by repeating its top bits, blended, and narrowed by dropping the low bits, so that an
// unchanged pixel keeps its exact value.
#pragma once
#include <cstdint>

// Pixel memory the compositor draws on: not owned, rows `pitch` bytes apart.
struct PixelView {
    uint8_t* pixels = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 4;  // 2, 3 or 4
};

// 32-bit pixels wrapped without copying; the memory must outlive every draw of the bitmap.
struct CompositorBitmap {
    const uint8_t* pixels = nullptr;  // first pixel of the top row
    int pitch = 0;
    int width = 0;
    int height = 0;
    bool alpha = false;  // true: the fourth byte is straight alpha; false: opaque
};

// Wraps width x height pixels starting at `first`, rows `pitch` bytes apart.
CompositorBitmap WrapPixels(const uint8_t* first, int width, int height, int pitch, bool alpha);

// A rectangle in floating point: left, top, width, height.
struct CompositorRect {
    float x = 0, y = 0, width = 0, height = 0;
};

// How a picture is drawn. The defaults draw it as it is.
struct DrawAttributes {
    // Colour-key range: a source pixel whose red, green and blue each lie between those of
    // keyLow and keyHigh (0x00RRGGBB, inclusive) is not drawn.
    bool colourKey = false;
    uint32_t keyLow = 0;
    uint32_t keyHigh = 0;
    // The colour matrix's alpha factor: multiplies every source alpha; 1 keeps it, 0 hides all.
    float opacity = 1.0f;
    // Gamma correction of the source colour: c becomes 255 * (c / 255)^gamma; 0 or 1 is none.
    float gamma = 0.0f;
    // World transform: rotation by `angle` degrees (clockwise on screen) about (pivotX, pivotY)
    // in destination pixels.
    float angle = 0.0f;
    float pivotX = 0.0f;
    float pivotY = 0.0f;
};

// Draws the source rectangle of `source` into the destination rectangle of `target` (stretched
// to fit), transformed and clipped to the target. A destination pixel is painted when its centre,
// mapped back through the transform, falls inside the source rectangle; it takes the source pixel
// under that point. False when the arguments are unusable (no pixels, a source rectangle outside
// the bitmap, an unknown depth); drawing nothing because everything is clipped is success.
bool CompositorDraw(const PixelView& target, const CompositorBitmap& source,
                    const CompositorRect& destination, const CompositorRect& sourceRect,
                    const DrawAttributes& attributes);

// The blend arithmetic above, exposed for the few callers that blend single pixels.
inline uint32_t Div255(uint32_t x) {
    return (x + 128 + ((x + 128) >> 8)) >> 8;
}
