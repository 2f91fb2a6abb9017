#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/capture.h"
#include "support/picture_files.h"
#include "support/scratch.h"

namespace {
using Bytes = std::vector<uint8_t>;

Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string Inspect(const std::string& args) {
    return std::string(INSPECT_PROGRAM) + " " + args;
}

// A 24-bit BMP; pixel(x, y) gives blue, green, red of the picture's (x, y), top row first.
template <typename Pixel>
Bytes Bmp(int w, int h, Pixel pixel) {
    RgbPicture picture{w, h, Bytes(static_cast<size_t>(w) * h * 3)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t bgr = pixel(x, y);
            picture.Set(x, y, static_cast<uint8_t>(bgr >> 16), static_cast<uint8_t>(bgr >> 8),
                        static_cast<uint8_t>(bgr));
        }
    return EncodeBmp(picture);
}

TEST(InspectSprite, TgaSpriteComesOutWithItsOwnAlphaAndBmpOpaque) {
    ScratchDir dir;
    // 2x2, stored bottom row first: the surface's top row is the file's second row.
    Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0,  0,  2,  0,  2,  0,  32,
                 8, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    WriteBytes("s.tga", tga);
    Captured run = CaptureCommand(Inspect("sprite s.tga --frames 2 --png s.png"));
    ASSERT_EQ(0, run.status) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("frame height 1"));
    Captured rgba = CaptureCommand("convert s.png -depth 8 rgba:-");
    ASSERT_EQ(0, rgba.status);
    EXPECT_EQ(std::string({11, 10, 9, 12, 15, 14, 13, 16, 3, 2, 1, 4, 7, 6, 5, 8}), rgba.out);

    WriteBytes("b.bmp", Bmp(2, 1, [](int x, int) { return x ? 0x00FF00FFu : 0x00102030u; }));
    run = CaptureCommand(Inspect("sprite b.bmp --png b.png"));
    ASSERT_EQ(0, run.status) << run.out;
    rgba = CaptureCommand("convert b.png -depth 8 rgba:-");
    EXPECT_EQ(std::string("\x10\x20\x30\xFF\xFF\x00\xFF\xFF", 8), rgba.out);
}

TEST(InspectSprite, RefusedFilesAndBadArgumentsFail) {
    ScratchDir dir;
    WriteBytes("bad.tga", Bytes(10, 0));
    EXPECT_EQ(1, CaptureCommand(Inspect("sprite bad.tga --png o.png 2>/dev/null")).status);
    EXPECT_EQ(1, CaptureCommand(Inspect("sprite none.bmp --png o.png 2>/dev/null")).status);
    EXPECT_EQ(2, CaptureCommand(Inspect("sprite bad.tga 2>/dev/null")).status);
    EXPECT_EQ(2, CaptureCommand(Inspect("sprite bad.tga --frames x --png o 2>/dev/null")).status);
    EXPECT_EQ(2, CaptureCommand(Inspect("font 2>/dev/null")).status);
    EXPECT_TRUE(Read("o.png").empty());
}

TEST(InspectFont, PrintsTheMeasuredAdvancesOfEveryGlyph) {
    ScratchDir dir;
    // Frames 10 wide and 4 high on magenta; glyph g has ink in column g % 10 of its second row.
    WriteBytes("f.bmp", Bmp(10, 4 * 96, [](int x, int y) {
                   int g = y / 4;
                   return (y % 4 == 1 && x == g % 10) ? 0x00000000u : 0x00FF00FFu;
               }));
    for (int code : {6, 7}) {
        Captured run = CaptureCommand(Inspect("font f.bmp --code " + std::to_string(code)));
        ASSERT_EQ(0, run.status);
        std::istringstream lines(run.out);
        std::string header;
        std::getline(lines, header);
        int count = 0;
        for (std::string line; std::getline(lines, line); ++count) {
            std::istringstream fields(line);
            int g = -1, advance = -1;
            std::string byte;
            fields >> g >> byte >> advance;
            ASSERT_EQ(count, g);
            int extra = code == 7 ? 2 : 1;
            int want = g == 0 ? 5 : (g % 10) + extra;
            if (g % 10 == 0 && g != 0) want = extra;  // column 0 is never tested
            EXPECT_EQ(want, advance) << line;
        }
        EXPECT_EQ(96, count);
    }
}
}  // namespace
