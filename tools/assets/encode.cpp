#include "encode.h"

#include <cstdio>
#include <filesystem>

namespace {
void Put16(Bytes& b, unsigned v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void PutTag(Bytes& b, const char* tag) {
    b.insert(b.end(), tag, tag + 4);
}
}  // namespace

Bytes EncodeBmp(const Image& img) {
    uint32_t rowBytes = (uint32_t(img.width) * 3 + 3) & ~3u;
    uint32_t dataSize = rowBytes * img.height;
    Bytes b;
    b.reserve(54 + dataSize);
    b.push_back('B');
    b.push_back('M');
    Put32(b, 54 + dataSize);
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, img.width);
    Put32(b, img.height);
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);
    Put32(b, dataSize);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
    for (int y = img.height - 1; y >= 0; --y) {
        for (int x = 0; x < img.width; ++x) {
            const uint8_t* p = img.At(x, y);
            b.push_back(p[2]);
            b.push_back(p[1]);
            b.push_back(p[0]);
        }
        for (uint32_t pad = uint32_t(img.width) * 3; pad < rowBytes; ++pad) b.push_back(0);
    }
    return b;
}

Bytes EncodeTga(const Image& img, bool runLength) {
    Bytes b = {0, 0, uint8_t(runLength ? 10 : 2), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Put16(b, img.width);
    Put16(b, img.height);
    b.push_back(32);
    b.push_back(8);  // eight alpha bits, bottom-left origin
    auto pixel = [&](int x, int y) {
        const uint8_t* p = img.At(x, y);
        // Fully transparent pixels carry no colour.
        if (p[3] == 0) return uint32_t(0);
        return uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16 | uint32_t(p[3]) << 24;
    };
    auto put = [&](uint32_t v) { Put32(b, v); };
    for (int y = img.height - 1; y >= 0; --y) {
        if (!runLength) {
            for (int x = 0; x < img.width; ++x) put(pixel(x, y));
            continue;
        }
        // Packets stay within a row.
        int x = 0;
        while (x < img.width) {
            int run = 1;
            while (x + run < img.width && run < 128 && pixel(x + run, y) == pixel(x, y)) ++run;
            if (run >= 2) {
                b.push_back(uint8_t(127 + run));
                put(pixel(x, y));
                x += run;
                continue;
            }
            int n = 1;
            while (x + n < img.width && n < 128) {
                if (x + n + 1 < img.width && pixel(x + n, y) == pixel(x + n + 1, y)) break;
                ++n;
            }
            b.push_back(uint8_t(n - 1));
            for (int i = 0; i < n; ++i) put(pixel(x + i, y));
            x += n;
        }
    }
    return b;
}

Bytes EncodePcx(const Image& img) {
    Bytes b = {10, 5, 1, 8};
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, img.width - 1);
    Put16(b, img.height - 1);
    Put16(b, 72);
    Put16(b, 72);
    b.resize(b.size() + 48, 0);  // 16-colour palette, unused
    b.push_back(0);              // reserved
    b.push_back(3);              // planes
    Put16(b, img.width);         // bytes per line per plane (the width is even)
    Put16(b, 1);                 // colour palette
    Put16(b, 0);
    Put16(b, 0);
    b.resize(128, 0);
    for (int y = 0; y < img.height; ++y)
        for (int plane = 0; plane < 3; ++plane) {
            int x = 0;
            while (x < img.width) {
                uint8_t v = img.At(x, y)[plane];
                int run = 1;
                while (x + run < img.width && run < 63 && img.At(x + run, y)[plane] == v) ++run;
                if (run > 1 || v >= 0xC0) b.push_back(uint8_t(0xC0 | run));
                b.push_back(v);
                x += run;
            }
        }
    return b;
}

Bytes EncodeWav(const std::vector<int16_t>& samples, int channels, int rate) {
    uint32_t dataSize = uint32_t(samples.size() * 2);
    Bytes b;
    b.reserve(44 + dataSize);
    PutTag(b, "RIFF");
    Put32(b, 36 + dataSize);
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1);
    Put16(b, channels);
    Put32(b, rate);
    Put32(b, uint32_t(rate) * channels * 2);
    Put16(b, channels * 2);
    Put16(b, 16);
    PutTag(b, "data");
    Put32(b, dataSize);
    for (int16_t s : samples) Put16(b, uint16_t(s));
    return b;
}

bool WritePng(const Image& img, const std::string& path) {
    cairo_surface_t* s = ToSurface(img);
    bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::error_code ec;
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}
