// The sprite loader's TGA decoder: 32-bit true-colour files, raw or run-length encoded.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TgaImage {
    int width = 0;
    int height = 0;
    // width * height pixels of four bytes in the file's order (blue, green, red, alpha), rows in
    // the order the file stores them.
    std::vector<uint8_t> pixels;
};

// Decodes a TGA file held in memory. Accepted: pixel depth 32, and the first twelve header bytes
// exactly those of an uncompressed (type 2) or run-length (type 10) true-colour image with no
// identification field, no colour map and origin (0, 0). The descriptor byte is not read. A file
// shorter than its pixels, packets that run past the file, or a run-length packet that would write
// past the image fail; `error` says why.
bool DecodeTga(const uint8_t* data, size_t size, TgaImage& image, std::string& error);

// Copies the decoded rows into 32-bit pixel memory bottom-up, whatever the file's descriptor
// says: the first stored row becomes the last row of `target`, and so on. `target` must hold
// image.height rows of at least image.width * 4 bytes, `pitch` bytes apart.
void CopyTgaRowsBottomUp(const TgaImage& image, uint8_t* target, int pitch);
