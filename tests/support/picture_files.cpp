#include "support/picture_files.h"

#include <cstdio>
#include <fstream>

void RgbPicture::Set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t* p = rgb.data() +
                 (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    p[0] = r, p[1] = g, p[2] = b;
}

RgbPicture PatternPicture(int width, int height, unsigned seed) {
    RgbPicture p{
        width, height,
        std::vector<uint8_t>(static_cast<size_t>(width) * static_cast<size_t>(height) * 3)};
    unsigned s = seed;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            s = s * 1103515245u + 12345u;
            if ((x + y * width) % 7 == 3)
                p.Set(x, y, 255, 0, 255);
            else
                p.Set(x, y, static_cast<uint8_t>(s >> 16), static_cast<uint8_t>(x * 37 + y),
                      static_cast<uint8_t>(s >> 24));
        }
    return p;
}

namespace {
void Put16(std::vector<uint8_t>& b, size_t at, unsigned v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, unsigned v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

std::vector<uint8_t> EncodeBmp(const RgbPicture& p, bool topDown) {
    const size_t row = (static_cast<size_t>(p.width) * 3 + 3) & ~size_t{3};
    std::vector<uint8_t> b(54 + row * static_cast<size_t>(p.height), 0);
    b[0] = 'B', b[1] = 'M';
    Put32(b, 2, static_cast<unsigned>(b.size()));
    Put32(b, 10, 54);
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<unsigned>(p.width));
    Put32(b, 22, static_cast<unsigned>(topDown ? -p.height : p.height));
    Put16(b, 26, 1);
    Put16(b, 28, 24);
    Put32(b, 34, static_cast<unsigned>(row * static_cast<size_t>(p.height)));
    for (int y = 0; y < p.height; ++y) {
        const int fileRow = topDown ? y : p.height - 1 - y;
        uint8_t* out = b.data() + 54 + static_cast<size_t>(fileRow) * row;
        for (int x = 0; x < p.width; ++x) {
            const uint8_t* in =
                p.rgb.data() +
                (static_cast<size_t>(y) * static_cast<size_t>(p.width) + static_cast<size_t>(x)) *
                    3;
            out[3 * x] = in[2], out[3 * x + 1] = in[1], out[3 * x + 2] = in[0];
        }
    }
    return b;
}

std::vector<uint8_t> PcxHeader(int width, int height) {
    std::vector<uint8_t> b(128, 0);
    b[0] = 10, b[1] = 5, b[2] = 1, b[3] = 8;
    Put16(b, 8, static_cast<unsigned>(width - 1));    // x-max
    Put16(b, 10, static_cast<unsigned>(height - 1));  // y-max
    Put16(b, 12, 72);
    Put16(b, 14, 72);
    b[65] = 3;
    Put16(b, 66, static_cast<unsigned>(width));
    Put16(b, 68, 1);
    return b;
}

std::vector<uint8_t> EncodePcx(const RgbPicture& p) {
    std::vector<uint8_t> b = PcxHeader(p.width, p.height);
    for (int y = 0; y < p.height; ++y)
        for (int plane = 0; plane < 3; ++plane) {
            int x = 0;
            while (x < p.width) {
                auto at = [&](int cx) {
                    return p.rgb[(static_cast<size_t>(y) * static_cast<size_t>(p.width) +
                                  static_cast<size_t>(cx)) *
                                     3 +
                                 static_cast<size_t>(plane)];
                };
                const uint8_t v = at(x);
                int run = 1;
                while (x + run < p.width && run < 63 && at(x + run) == v) ++run;
                if (run > 1 || (v & 0xC0) == 0xC0) {
                    b.push_back(static_cast<uint8_t>(0xC0 | run));
                    b.push_back(v);
                } else {
                    b.push_back(v);
                }
                x += run;
            }
        }
    return b;
}

std::vector<uint8_t> EncodeTga(const SpritePicture& p) {
    std::vector<uint8_t> b(18, 0);
    b[2] = 2;
    Put16(b, 12, static_cast<unsigned>(p.width));
    Put16(b, 14, static_cast<unsigned>(p.height));
    b[16] = 32;
    b[17] = 8;
    for (int y = p.height - 1; y >= 0; --y)
        for (int x = 0; x < p.width; ++x) {
            size_t i = static_cast<size_t>(y) * p.width + x;
            b.push_back(static_cast<uint8_t>(p.colour[i].b));
            b.push_back(static_cast<uint8_t>(p.colour[i].g));
            b.push_back(static_cast<uint8_t>(p.colour[i].r));
            b.push_back(static_cast<uint8_t>(p.alpha[i]));
        }
    return b;
}

void WriteSpriteBmp(const std::string& path, const SpritePicture& p) {
    RgbPicture rgb{p.width, p.height,
                   std::vector<uint8_t>(static_cast<size_t>(p.width) * p.height * 3)};
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const Colour& c = p.colour[static_cast<size_t>(y) * p.width + x];
            rgb.Set(x, y, static_cast<uint8_t>(c.r), static_cast<uint8_t>(c.g),
                    static_cast<uint8_t>(c.b));
        }
    WriteBytes(path, EncodeBmp(rgb));
}

void WriteSpriteTga(const std::string& path, const SpritePicture& p) {
    WriteBytes(path, EncodeTga(p));
}

std::vector<uint8_t> DisplayBytes(uint8_t r, uint8_t g, uint8_t b, int depth) {
    if (depth == 16) {
        const unsigned v = ((r >> 3u) << 11) | ((g >> 2u) << 5) | (b >> 3u);
        return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    }
    if (depth == 24) return {b, g, r};
    return {b, g, r, 0};
}

bool ImageMagickRgb(const std::string& path, int width, int height, std::vector<uint8_t>& rgb) {
    const std::string command = "convert '" + path + "' -depth 8 rgb:- 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    rgb.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3 + 1, 0);
    const size_t got = std::fread(rgb.data(), 1, rgb.size(), pipe);
    const int status = pclose(pipe);
    if (status != 0 || got != rgb.size() - 1) return false;
    rgb.pop_back();
    return true;
}
