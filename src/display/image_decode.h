// Decoders of the resource-image files: 24-bit BMP and three-plane run-length PCX, straight into
// the display's pixel format at 32, 24 or 16 bits. A file that ends early decodes what is there and
// leaves the rest zero; sizes that cannot be held are errors.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "display/asset_manifest.h"

// Decoded pixels: rows top to bottom, each width * bytesPerPixel bytes, in the display format.
struct DecodedImage {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bytesPerPixel = 0;
    std::vector<uint8_t> pixels;
};

// Width and height from the file's header alone; false (with a reason) when it is not one.
bool ReadResourceHeader(const uint8_t* data, size_t size, int32_t type, int32_t& width,
                        int32_t& height, std::string& error);
// Decodes a whole file of the given type at depth 32, 24 or 16.
bool DecodeResourceFile(const uint8_t* data, size_t size, int32_t type, int32_t depth,
                        DecodedImage& image, std::string& error);
bool DecodeBmp(const uint8_t* data, size_t size, int32_t depth, DecodedImage& image,
               std::string& error);
bool DecodePcx(const uint8_t* data, size_t size, int32_t depth, DecodedImage& image,
               std::string& error);

// The decoded pixels as opaque RGBA bytes (key-coloured pixels come out as 255, 0, 255).
std::vector<uint8_t> DecodedToRgba(const DecodedImage& image);
