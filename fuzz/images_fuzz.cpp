// Resource images: the header read that registers an image, then the decode of the whole file
// at each display depth, as the first draw does.
#include <cstdlib>
#include <string>

#include "display/image_decode.h"
#include "fuzz_support.h"

FUZZ_TARGET(Images) {
    // The table's file types: 1 BMP, 2 PCX; the fuzzer's first byte picks one.
    if (size < 1) return 0;
    const int32_t type = (data[0] & 1) ? ResourceTypePcx : ResourceTypeBmp;
    const uint8_t* file = data + 1;
    const size_t length = size - 1;
    // Registration reads the first 128 bytes only.
    int32_t width = 0, height = 0;
    std::string error;
    const bool header =
        ReadResourceHeader(file, length < 128 ? length : 128, type, width, height, error);
    // Pictures of more than 32,768 pixels up to the decoder's limit of 256 MB are decoded like
    // small ones, only with more memory to fill, most of it zeros that no input byte reaches: the
    // fuzzer leaves them to the unit tests and spends its time on the parsing. Either side alone
    // may still take any value, and pictures past the limit are still refused.
    // The sizes are the decoder's own: a BMP's are the low 16 bits of its header's, signed.
    auto at = [&](size_t i) { return i < length ? file[i] : 0; };
    const int64_t w =
        type == ResourceTypeBmp ? static_cast<int16_t>(at(18) | at(19) << 8) : at(66) | at(67) << 8;
    const int64_t h = type == ResourceTypeBmp ? static_cast<int16_t>(at(22) | at(23) << 8)
                                              : (at(10) | at(11) << 8) - (at(6) | at(7) << 8) + 1;
    if (w > 0 && h > 0 && w * h > 32768 && w * h * 2 <= (int64_t{256} << 20)) return 0;
    for (int32_t depth : {32, 24, 16}) {
        DecodedImage image;
        if (!DecodeResourceFile(file, length, type, depth, image, error)) continue;
        // A decoded picture has the header's size, positive, and every row's bytes. A BMP's
        // registration reads the whole 32-bit size and its decode the low 16 bits, signed, so a
        // header with a size the registration refuses can still decode.
        if (header && (type == ResourceTypeBmp ? image.width != static_cast<int16_t>(width) ||
                                                     image.height != static_cast<int16_t>(height)
                                               : image.width != width || image.height != height))
            std::abort();
        if (!header && type == ResourceTypePcx) std::abort();
        if (image.width <= 0 || image.height <= 0 || image.bytesPerPixel != depth / 8) std::abort();
        if (image.pixels.size() != static_cast<size_t>(image.width) *
                                       static_cast<size_t>(image.height) *
                                       static_cast<size_t>(image.bytesPerPixel))
            std::abort();
        if (depth == 32 && DecodedToRgba(image).size() != image.pixels.size()) std::abort();
    }
    return 0;
}
