#include "platform/png.h"

#include <png.h>

#include <cstdio>

namespace {
struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriter() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

// Writes the rows; false on any libpng error. Kept apart so that the longjmp skips no destructor.
bool WriteRows(PngWriter& w, FILE* file, const std::vector<png_bytep>& rows, int width,
               int height) {
    if (setjmp(png_jmpbuf(w.png))) return false;
    png_init_io(w.png, file);
    png_set_IHDR(w.png, w.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(w.png, w.info);
    png_write_image(w.png, const_cast<png_bytepp>(rows.data()));
    png_write_end(w.png, nullptr);
    return true;
}
}  // namespace

bool WritePng(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height) {
    if (width <= 0 || height <= 0 ||
        rgba.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
        return false;
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = const_cast<png_bytep>(
            rgba.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 4);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    PngWriter w;
    w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (w.png) w.info = png_create_info_struct(w.png);
    const bool ok = w.png && w.info && WriteRows(w, file, rows, width, height);
    const bool closed = std::fclose(file) == 0;
    if (!ok || !closed) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}
