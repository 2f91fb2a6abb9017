#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "display/tga.h"
#include "support/scratch.h"

namespace {
using Bytes = std::vector<uint8_t>;

// An 18-byte header: image type, size, depth and descriptor; everything else zero.
Bytes Header(uint8_t type, int width, int height, uint8_t depth = 32, uint8_t descriptor = 8) {
    Bytes h(18, 0);
    h[2] = type;
    h[12] = static_cast<uint8_t>(width), h[13] = static_cast<uint8_t>(width >> 8);
    h[14] = static_cast<uint8_t>(height), h[15] = static_cast<uint8_t>(height >> 8);
    h[16] = depth;
    h[17] = descriptor;
    return h;
}

Bytes Join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Distinct pixels: blue, green, red, alpha.
Bytes Pixels(int count) {
    Bytes p;
    for (int i = 0; i < count; ++i) {
        p.push_back(static_cast<uint8_t>(i * 7));
        p.push_back(static_cast<uint8_t>(i * 13 + 1));
        p.push_back(static_cast<uint8_t>(255 - i));
        p.push_back(static_cast<uint8_t>(i * 31));
    }
    return p;
}

bool Decode(const Bytes& file, TgaImage& image, std::string& error) {
    return DecodeTga(file.data(), file.size(), image, error);
}

TEST(SpriteTga, RawAndRunLengthFilesDecodeToTheirBytes) {
    TgaImage image;
    std::string error;
    Bytes pixels = Pixels(3 * 2);
    ASSERT_TRUE(Decode(Join(Header(2, 3, 2), pixels), image, error)) << error;
    EXPECT_EQ(3, image.width);
    EXPECT_EQ(2, image.height);
    EXPECT_EQ(pixels, image.pixels);

    // A raw packet of 4 pixels crossing the row end, then a run of 2.
    Bytes runs = {3};
    Bytes four = Pixels(4);
    runs.insert(runs.end(), four.begin(), four.end());
    runs.insert(runs.end(), {0x81, 9, 8, 7, 6});
    ASSERT_TRUE(Decode(Join(Header(10, 3, 2), runs), image, error)) << error;
    Bytes want = Join(four, {9, 8, 7, 6, 9, 8, 7, 6});
    EXPECT_EQ(want, image.pixels);
}

TEST(SpriteTga, OneRunPacketMakesTwoMagentaPixelsWithTheirAlpha) {
    TgaImage image;
    std::string error;
    ASSERT_TRUE(Decode(Join(Header(10, 2, 1), {0x81, 0xFF, 0x00, 0xFF, 0x80}), image, error));
    EXPECT_EQ((Bytes{0xFF, 0, 0xFF, 0x80, 0xFF, 0, 0xFF, 0x80}), image.pixels);
}

TEST(SpriteTga, FilesOutsideTheTwoAcceptedHeadersAreRefused) {
    TgaImage image;
    std::string error;
    Bytes pixels = Pixels(4);
    EXPECT_FALSE(Decode(Join(Header(2, 2, 2, 24), Pixels(3)), image, error)) << "24-bit";
    EXPECT_TRUE(image.pixels.empty());
    Bytes identified = Join(Header(2, 2, 2), Join({1, 2, 3}, pixels));
    identified[0] = 3;
    EXPECT_FALSE(Decode(identified, image, error)) << "identification field";
    for (int offset : {8, 9, 10, 11}) {
        Bytes moved = Join(Header(2, 2, 2), pixels);
        moved[offset] = 1;
        EXPECT_FALSE(Decode(moved, image, error)) << "origin byte " << offset;
    }
    Bytes mapped = Join(Header(2, 2, 2), pixels);
    mapped[1] = 1;
    EXPECT_FALSE(Decode(mapped, image, error)) << "colour map";
    EXPECT_FALSE(Decode(Join(Header(3, 2, 2), pixels), image, error)) << "grey image";
    EXPECT_FALSE(Decode(Join(Header(2, 0, 2), pixels), image, error)) << "no width";
    EXPECT_FALSE(Decode(Bytes(17, 0), image, error)) << "short header";
    EXPECT_FALSE(DecodeTga(nullptr, 0, image, error));
}

TEST(SpriteTga, TheDescriptorByteChangesNothing) {
    TgaImage bottomUp, topDown, noAlphaBits;
    std::string error;
    Bytes pixels = Pixels(6);
    ASSERT_TRUE(Decode(Join(Header(2, 2, 3, 32, 0x08), pixels), bottomUp, error));
    ASSERT_TRUE(Decode(Join(Header(2, 2, 3, 32, 0x28), pixels), topDown, error));
    ASSERT_TRUE(Decode(Join(Header(2, 2, 3, 32, 0x00), pixels), noAlphaBits, error));
    EXPECT_EQ(bottomUp.pixels, topDown.pixels);
    EXPECT_EQ(bottomUp.pixels, noAlphaBits.pixels);

    // Rows go to the target bottom-up: the first stored row is the last one on the surface.
    const int pitch = 2 * 4 + 5;
    Bytes target(pitch * 3, 0xEE);
    CopyTgaRowsBottomUp(topDown, target.data(), pitch);
    for (int row = 0; row < 3; ++row) {
        Bytes got(target.begin() + (2 - row) * pitch, target.begin() + (2 - row) * pitch + 8);
        EXPECT_EQ(Bytes(pixels.begin() + row * 8, pixels.begin() + row * 8 + 8), got);
        EXPECT_EQ(0xEE, target[(2 - row) * pitch + 8]) << "row padding untouched";
    }
}

TEST(SpriteTga, ShortAndOverrunningFilesFailInsteadOfReadingOn) {
    TgaImage image;
    std::string error;
    Bytes raw = Join(Header(2, 3, 3), Pixels(9));
    for (size_t cut : {size_t{18}, size_t{19}, raw.size() - 1}) {
        Bytes shortFile(raw.begin(), raw.begin() + static_cast<long>(cut));
        EXPECT_FALSE(Decode(shortFile, image, error)) << "raw cut at " << cut;
    }
    // A run that writes one pixel past the image.
    EXPECT_FALSE(Decode(Join(Header(10, 2, 1), {0x82, 1, 2, 3, 4}), image, error));
    // A raw packet that claims more pixels than the image holds.
    EXPECT_FALSE(Decode(Join(Header(10, 2, 1), Join({2}, Pixels(3))), image, error));
    // Packets that end inside a pixel, or before the image is full.
    EXPECT_FALSE(Decode(Join(Header(10, 2, 1), {0x81, 1, 2}), image, error));
    EXPECT_FALSE(Decode(Join(Header(10, 2, 1), Join({1}, Pixels(1))), image, error));
    EXPECT_FALSE(Decode(Join(Header(10, 2, 1), {0x80, 1, 2, 3, 4}), image, error));
    EXPECT_FALSE(error.empty());
}

// Runs a shell command; true when it exits with 0.
bool RunCommand(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

TEST(SpriteTga, ImageMagickFilesDecodeToImageMagicksOwnPixels) {
    namespace fs = std::filesystem;
    ScratchFolder scratch;
    const fs::path& dir = scratch.path();
    // A picture with flat runs (so run-length packets repeat) and noisy stretches.
    const int w = 37, h = 23;
    Bytes rgba;
    uint32_t seed = 12345;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245 + 12345;
            bool flat = (x / 6 + y / 5) % 2 == 0;
            uint8_t noise = static_cast<uint8_t>(seed >> 16);
            rgba.push_back(flat ? 200 : noise);
            rgba.push_back(flat ? 40 : static_cast<uint8_t>(noise * 3));
            rgba.push_back(static_cast<uint8_t>(x * 6));
            rgba.push_back(flat ? 255 : static_cast<uint8_t>(y * 11));
        }
    }
    {
        std::ofstream out(dir / "in.rgba", std::ios::binary);
        out.write(reinterpret_cast<const char*>(rgba.data()), static_cast<long>(rgba.size()));
    }
    std::string size = std::to_string(w) + "x" + std::to_string(h);
    for (const char* compression : {"None", "RLE"}) {
        SCOPED_TRACE(compression);
        fs::path tga = dir / (std::string(compression) + ".tga");
        fs::path back = dir / (std::string(compression) + ".rgba");
        ASSERT_TRUE(RunCommand("convert -size " + size +
                               " -depth 8 rgba:" + (dir / "in.rgba").string() + " -compress " +
                               compression + " tga:" + tga.string()));
        ASSERT_TRUE(RunCommand("convert tga:" + tga.string() + " -depth 8 rgba:" + back.string()));
        Bytes file = ReadBytes(tga), reference = ReadBytes(back);
        ASSERT_EQ(size_t{w} * h * 4, reference.size());
        EXPECT_EQ(compression == std::string("RLE") ? 10 : 2, file[2]);
        TgaImage image;
        std::string error;
        ASSERT_TRUE(Decode(file, image, error)) << error;
        ASSERT_EQ(w, image.width);
        ASSERT_EQ(h, image.height);
        // ImageMagick stores rows top-down (descriptor bit 5), which the loader does not read:
        // the sprite surface holds ImageMagick's picture upside down, row for row.
        Bytes surface(size_t{w} * h * 4);
        CopyTgaRowsBottomUp(image, surface.data(), w * 4);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const uint8_t* want = &reference[(static_cast<size_t>(y) * w + x) * 4];
                const uint8_t* got = &surface[(static_cast<size_t>(h - 1 - y) * w + x) * 4];
                SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
                ASSERT_EQ(want[2], got[0]);  // blue
                ASSERT_EQ(want[1], got[1]);  // green
                ASSERT_EQ(want[0], got[2]);  // red
                ASSERT_EQ(want[3], got[3]);  // alpha
            }
        }
    }
}
}  // namespace
