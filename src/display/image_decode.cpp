#include "display/image_decode.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kBmpHeaderBytes = 54;
constexpr size_t kPcxHeaderBytes = 128;
// The largest decoded picture: far beyond any screen picture or font strip of the cabinet.
constexpr int64_t kMaxDecodedBytes = int64_t{256} << 20;

uint16_t Read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool ValidDepth(int32_t depth) {
    return depth == 16 || depth == 24 || depth == 32;
}

// Makes the zeroed buffer for width x height pixels, or says why not.
bool Allocate(DecodedImage& image, int32_t width, int32_t height, int32_t depth,
              std::string& error) {
    if (width <= 0 || height <= 0) {
        error =
            "picture size " + std::to_string(width) + " x " + std::to_string(height) + " is empty";
        return false;
    }
    const int32_t bpp = depth / 8;
    const int64_t bytes = int64_t{width} * height * bpp;
    if (bytes > kMaxDecodedBytes) {
        error = "picture size " + std::to_string(width) + " x " + std::to_string(height) +
                " is too large";
        return false;
    }
    image.width = width;
    image.height = height;
    image.bytesPerPixel = bpp;
    image.pixels.assign(static_cast<size_t>(bytes), 0);
    return true;
}

inline uint16_t Pack565(uint32_t b, uint32_t g, uint32_t r) {
    return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

// Converts n blue-green-red triples to the display format.
void ConvertBgrRow(uint8_t* out, const uint8_t* in, int32_t n, int32_t depth, const uint8_t* end) {
    if (depth == 24) {
        std::memcpy(out, in, static_cast<size_t>(n) * 3);
    } else if (depth == 32) {
        // Four pixels from each 16-byte read while the read stays inside the file: the triples
        // start at bytes 0, 3, 6 and 9.
        const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
        int32_t x = 0;
        for (; x + 4 <= n && in + 3 * x + 16 <= end; x += 4) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * x));
            const __m128i ab = _mm_unpacklo_epi32(v, _mm_srli_si128(v, 3));
            const __m128i cd = _mm_unpacklo_epi32(_mm_srli_si128(v, 6), _mm_srli_si128(v, 9));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x),
                             _mm_and_si128(_mm_unpacklo_epi64(ab, cd), colour));
        }
        for (; x < n; ++x) {
            std::memcpy(out + 4 * x, in + 3 * x, 3);
            out[4 * x + 3] = 0;
        }
    } else {
        for (int32_t x = 0; x < n; ++x) {
            const uint8_t* p = in + 3 * x;
            const uint16_t v = Pack565(p[0], p[1], p[2]);
            out[2 * x] = static_cast<uint8_t>(v);
            out[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        }
    }
}

// One value of the red (0), green (1) or blue (2) plane into pixel `index`.
inline void PutPlaneValue(uint8_t* pixels, size_t index, int plane, uint8_t v, int32_t bpp) {
    if (bpp != 2) {
        pixels[index * static_cast<size_t>(bpp) + static_cast<size_t>(2 - plane)] = v;
        return;
    }
    uint8_t* p = pixels + index * 2;
    if (plane == 0) {
        p[1] = static_cast<uint8_t>(v & 0xF8);
    } else if (plane == 1) {
        p[1] = static_cast<uint8_t>(p[1] | (v >> 5));
        p[0] = static_cast<uint8_t>((v & 0x1C) << 3);
    } else {
        p[0] = static_cast<uint8_t>(p[0] | (v >> 3));
    }
}
}  // namespace

bool ReadResourceHeader(const uint8_t* data, size_t size, int32_t type, int32_t& width,
                        int32_t& height, std::string& error) {
    if (type == ResourceTypePcx) {
        if (size < kPcxHeaderBytes) return error = "file too short for a PCX header", false;
        if (data[0] != 10 || data[1] != 5 || data[2] != 1 || data[3] != 8)
            return error = "not a PCX file of version 5 with 8-bit run-length planes", false;
        width = Read16(data + 66);
        height = int32_t{Read16(data + 10)} - int32_t{Read16(data + 6)} + 1;
    } else if (type == ResourceTypeBmp) {
        if (size < kBmpHeaderBytes) return error = "file too short for a BMP header", false;
        if (data[0] != 'B' || data[1] != 'M') return error = "not a BMP file", false;
        width = static_cast<int32_t>(Read32(data + 18));
        height = static_cast<int32_t>(Read32(data + 22));
    } else {
        return error = "unknown picture type " + std::to_string(type), false;
    }
    if (width <= 0 || height <= 0) {
        error =
            "picture size " + std::to_string(width) + " x " + std::to_string(height) + " is empty";
        return false;
    }
    return true;
}

bool DecodeBmp(const uint8_t* data, size_t size, int32_t depth, DecodedImage& image,
               std::string& error) {
    if (!ValidDepth(depth)) return error = "unsupported depth", false;
    if (size < kBmpHeaderBytes) return error = "file too short for a BMP header", false;
    if (data[0] != 'B' || data[1] != 'M') return error = "not a BMP file", false;
    // The sizes are the low 16 bits of the header's fields, as signed values.
    const int32_t width = static_cast<int16_t>(Read16(data + 18));
    const int32_t height = static_cast<int16_t>(Read16(data + 22));
    if (!Allocate(image, width, height, depth, error)) return false;
    const size_t fileRow = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    const size_t outRow = static_cast<size_t>(width) * static_cast<size_t>(image.bytesPerPixel);
    const uint8_t* end = data + size;
    // File rows run bottom to top.
    for (int32_t fy = 0; fy < height; ++fy) {
        const size_t at = kBmpHeaderBytes + static_cast<size_t>(fy) * fileRow;
        if (at >= size) break;
        const int32_t whole = static_cast<int32_t>(std::min<size_t>(width, (size - at) / 3));
        uint8_t* out = image.pixels.data() + static_cast<size_t>(height - 1 - fy) * outRow;
        ConvertBgrRow(out, data + at, whole, depth, end);
        if (whole < width) break;
    }
    return true;
}

bool DecodePcx(const uint8_t* data, size_t size, int32_t depth, DecodedImage& image,
               std::string& error) {
    if (!ValidDepth(depth)) return error = "unsupported depth", false;
    int32_t width = 0, height = 0;
    if (!ReadResourceHeader(data, size, ResourceTypePcx, width, height, error)) return false;
    if (!Allocate(image, width, height, depth, error)) return false;
    const size_t total = static_cast<size_t>(width) * static_cast<size_t>(height);
    const int32_t bpp = image.bytesPerPixel;
    uint8_t* pixels = image.pixels.data();
    size_t pos = kPcxHeaderBytes;
    for (int32_t y = 0; y < height; ++y) {
        for (int plane = 0; plane < 3; ++plane) {
            const size_t rowStart = static_cast<size_t>(y) * static_cast<size_t>(width);
            for (int32_t x = 0; x < width;) {
                if (pos >= size) return true;
                const uint8_t b = data[pos++];
                if ((b & 0xC0) != 0xC0) {
                    PutPlaneValue(pixels, rowStart + static_cast<size_t>(x), plane, b, bpp);
                    ++x;
                    continue;
                }
                if (pos >= size) return true;
                const int32_t count = b & 0x3F;
                const uint8_t v = data[pos++];
                // A run past the plane's end spills into the following pixels (rewritten when
                // their own row is decoded); nothing goes past the end of the picture.
                for (int32_t i = 0; i < count; ++i) {
                    const size_t index = rowStart + static_cast<size_t>(x) + static_cast<size_t>(i);
                    if (index >= total) break;
                    PutPlaneValue(pixels, index, plane, v, bpp);
                }
                x += count;
            }
        }
    }
    return true;
}

bool DecodeResourceFile(const uint8_t* data, size_t size, int32_t type, int32_t depth,
                        DecodedImage& image, std::string& error) {
    if (type == ResourceTypeBmp) return DecodeBmp(data, size, depth, image, error);
    if (type == ResourceTypePcx) return DecodePcx(data, size, depth, image, error);
    error = "unknown picture type " + std::to_string(type);
    return false;
}

std::vector<uint8_t> DecodedToRgba(const DecodedImage& image) {
    const size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    std::vector<uint8_t> rgba(count * 4);
    const int32_t bpp = image.bytesPerPixel;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = image.pixels.data() + i * static_cast<size_t>(bpp);
        uint8_t* o = rgba.data() + i * 4;
        if (bpp == 2) {
            const uint32_t v = static_cast<uint32_t>(p[0] | (p[1] << 8));
            const uint32_t r = v >> 11, g = (v >> 5) & 63, b = v & 31;
            o[0] = static_cast<uint8_t>((r << 3) | (r >> 2));
            o[1] = static_cast<uint8_t>((g << 2) | (g >> 4));
            o[2] = static_cast<uint8_t>((b << 3) | (b >> 2));
        } else {
            o[0] = p[2];
            o[1] = p[1];
            o[2] = p[0];
        }
        o[3] = 255;
    }
    return rgba;
}
