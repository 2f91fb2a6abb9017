#include "platform/bmp_image.h"

#include <algorithm>
#include <cstddef>

#include "platform/files.h"

namespace {
constexpr int kLargestSide = 16384;

uint32_t ReadU32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
}  // namespace

bool BmpImage::Load(const char* path) {
    std::vector<uint8_t> bytes;
    if (!path || !ReadWholeFile(path, bytes)) {
        *this = BmpImage();
        error_ = "cannot read the file";
        return false;
    }
    return LoadFromMemory(bytes.data(), bytes.size());
}

bool BmpImage::LoadFromMemory(const uint8_t* data, size_t size) {
    *this = BmpImage();
    auto fail = [this](const char* why) {
        error_ = why;
        return false;
    };
    if (!data || size < 54) return fail("shorter than a BMP header");
    if (data[0] != 'B' || data[1] != 'M') return fail("not a BMP file");
    uint32_t offset = ReadU32(data + 10);
    uint32_t infoSize = ReadU32(data + 14);
    if (infoSize < 40) return fail("unsupported BMP header");
    if (offset < 14 + infoSize) return fail("pixel data overlaps the header");
    int32_t width = static_cast<int32_t>(ReadU32(data + 18));
    int32_t height = static_cast<int32_t>(ReadU32(data + 22));
    if (ReadU16(data + 28) != 24) return fail("not a 24-bit BMP");
    if (ReadU32(data + 30) != 0) return fail("compressed BMP");
    bool topDown = height < 0;
    int64_t rows = topDown ? -int64_t{height} : height;
    if (width <= 0 || rows <= 0 || width > kLargestSide || rows > kLargestSide)
        return fail("unusable BMP size");
    width_ = width;
    height_ = static_cast<int>(rows);
    bgr_.assign(static_cast<size_t>(width_) * height_ * 3, 0);
    size_t stride = (static_cast<size_t>(width_) * 3 + 3) & ~size_t{3};
    for (int fileRow = 0; fileRow < height_; ++fileRow) {
        size_t start = offset + static_cast<size_t>(fileRow) * stride;
        if (start >= size) break;
        size_t n = std::min(static_cast<size_t>(width_) * 3, size - start);
        int y = topDown ? fileRow : height_ - 1 - fileRow;
        std::copy_n(data + start, n, bgr_.begin() + static_cast<ptrdiff_t>(y) * width_ * 3);
    }
    return true;
}

void BmpImage::Draw(const PixelView& target, int x, int y) const {
    if (!target.pixels || bgr_.empty()) return;
    int bytes = target.bytesPerPixel;
    if (bytes < 2 || bytes > 4) return;
    int x0 = std::max(x, 0), y0 = std::max(y, 0);
    int x1 = static_cast<int>(std::min<int64_t>(int64_t{x} + width_, target.width));
    int y1 = static_cast<int>(std::min<int64_t>(int64_t{y} + height_, target.height));
    for (int row = y0; row < y1; ++row) {
        const uint8_t* s = bgr_.data() + (static_cast<size_t>(row - y) * width_ + (x0 - x)) * 3;
        uint8_t* d = target.pixels + static_cast<ptrdiff_t>(row) * target.pitch +
                     static_cast<ptrdiff_t>(x0) * bytes;
        for (int col = x0; col < x1; ++col, s += 3, d += bytes) {
            if (bytes == 2) {
                uint16_t v =
                    static_cast<uint16_t>(((s[2] >> 3) << 11) | ((s[1] >> 2) << 5) | (s[0] >> 3));
                d[0] = static_cast<uint8_t>(v);
                d[1] = static_cast<uint8_t>(v >> 8);
            } else {
                d[0] = s[0], d[1] = s[1], d[2] = s[2];
                if (bytes == 4) d[3] = 255;
            }
        }
    }
}
