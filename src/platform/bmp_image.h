// The BMP image object: decodes a 24-bit BMP file and paints it opaque at its own size.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/compositor.h"

class BmpImage {
  public:
    // Decodes the file at the program's path; false (and an empty image) when it cannot be read
    // or is not an uncompressed 24-bit BMP. A file that ends early keeps what is there; the
    // missing pixels are black.
    bool Load(const char* path);
    // The same from bytes already in memory.
    bool LoadFromMemory(const uint8_t* data, size_t size);
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    // Paints the whole picture with its top-left corner at (x, y), clipped to the target. On a
    // 32-bit target the fourth byte becomes 255 (opaque).
    void Draw(const PixelView& target, int x, int y) const;
    // Why the last Load failed.
    const std::string& Error() const { return error_; }

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> bgr_;  // rows top to bottom, three bytes per pixel
    std::string error_;
};
