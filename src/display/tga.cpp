#include "display/tga.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {
constexpr size_t kHeaderBytes = 18;
constexpr uint8_t kRawHeader[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr uint8_t kRunLengthHeader[12] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};

bool Fail(std::string& error, const char* why) {
    error = why;
    return false;
}

// Run-length packets from `data` until `out` is full.
bool DecodePackets(const uint8_t* data, size_t size, std::vector<uint8_t>& out,
                   std::string& error) {
    size_t total = out.size() / 4, written = 0, pos = kHeaderBytes;
    while (written < total) {
        if (pos >= size) return Fail(error, "run-length data ends before the image is complete");
        uint8_t h = data[pos++];
        size_t count = h < 128 ? size_t{h} + 1 : size_t{h} - 127u;
        if (count > total - written) return Fail(error, "a run-length packet overruns the image");
        if (h < 128) {
            if (size - pos < count * 4) return Fail(error, "a raw packet runs past the file");
            std::memcpy(out.data() + written * 4, data + pos, count * 4);
            pos += count * 4;
        } else {
            if (size - pos < 4) return Fail(error, "a run packet runs past the file");
            for (size_t i = 0; i < count; ++i)
                std::memcpy(out.data() + (written + i) * 4, data + pos, 4);
            pos += 4;
        }
        written += count;
    }
    return true;
}
}  // namespace

bool DecodeTga(const uint8_t* data, size_t size, TgaImage& image, std::string& error) {
    image = TgaImage();
    if (!data || size < kHeaderBytes) return Fail(error, "shorter than a TGA header");
    int width = data[12] | (data[13] << 8);
    int height = data[14] | (data[15] << 8);
    if (data[16] != 32) return Fail(error, "pixel depth is not 32 bits");
    bool raw = std::equal(kRawHeader, kRawHeader + 12, data);
    bool runLength = std::equal(kRunLengthHeader, kRunLengthHeader + 12, data);
    if (!raw && !runLength)
        return Fail(error,
                    "not a plain true-colour TGA (identification field, colour map, "
                    "image type or origin)");
    if (width == 0 || height == 0) return Fail(error, "empty image");
    size_t count = static_cast<size_t>(width) * height;
    // Nothing is allocated for pixels the file cannot hold: a raw pixel takes four bytes, and a
    // five-byte run packet makes at most 128.
    size_t stored = size - kHeaderBytes;
    if (raw && stored / 4 < count) return Fail(error, "the file is shorter than its pixels");
    if (runLength && (stored / 5 + 1) * 128 < count)
        return Fail(error, "run-length data ends before the image is complete");
    std::vector<uint8_t> pixels(count * 4, 0);
    if (raw) {
        std::memcpy(pixels.data(), data + kHeaderBytes, pixels.size());
    } else if (!DecodePackets(data, size, pixels, error)) {
        return false;
    }
    image.width = width;
    image.height = height;
    image.pixels = std::move(pixels);
    return true;
}

void CopyTgaRowsBottomUp(const TgaImage& image, uint8_t* target, int pitch) {
    size_t rowBytes = static_cast<size_t>(image.width) * 4;
    for (int y = 0; y < image.height; ++y)
        std::memcpy(target + static_cast<ptrdiff_t>(image.height - 1 - y) * pitch,
                    image.pixels.data() + static_cast<size_t>(y) * rowBytes, rowBytes);
}
