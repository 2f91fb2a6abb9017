#include "platform/bmp_image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/picture_files.h"
#include "support/scratch.h"

namespace {
using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A 24-bit BMP whose pixel (x, y) (top row first) is blue x*40, green y*50, red 200.
Bytes MakeBmp(int width, int height, bool topDown = false) {
    RgbPicture picture{width, height, Bytes(static_cast<size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.Set(x, y, 200, static_cast<uint8_t>(y * 50), static_cast<uint8_t>(x * 40));
    return EncodeBmp(picture, topDown);
}

struct Target {
    int width, height, bytes, pitch;
    Bytes memory;
    Target(int w, int h, int b) : width(w), height(h), bytes(b), pitch(w * b + 6) {
        memory.assign(static_cast<size_t>(pitch) * h, 0x11);
    }
    PixelView View() { return PixelView{memory.data(), pitch, width, height, bytes}; }
    const uint8_t* At(int x, int y) const { return &memory[y * pitch + x * bytes]; }
};

TEST(BmpImage, PaintsOpaqueAtItsOwnSizeInEveryDepth) {
    for (bool topDown : {false, true}) {
        BmpImage image;
        Bytes file = MakeBmp(3, 2, topDown);
        ASSERT_TRUE(image.LoadFromMemory(file.data(), file.size())) << image.Error();
        EXPECT_EQ(3, image.GetWidth());
        EXPECT_EQ(2, image.GetHeight());
        for (int bytes : {4, 3, 2}) {
            Target t(5, 4, bytes);
            image.Draw(t.View(), 1, 1);
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < 5; ++x) {
                    const uint8_t* p = t.At(x, y);
                    int ix = x - 1, iy = y - 1;
                    SCOPED_TRACE(testing::Message() << bytes << " bytes, " << x << "," << y);
                    if (ix < 0 || ix >= 3 || iy < 0 || iy >= 2) {
                        EXPECT_EQ(0x11, p[0]);
                        continue;
                    }
                    if (bytes == 2) {
                        int v = ((200 >> 3) << 11) | (((iy * 50) >> 2) << 5) | ((ix * 40) >> 3);
                        EXPECT_EQ(v, p[0] | (p[1] << 8));
                    } else {
                        EXPECT_EQ(ix * 40, p[0]);
                        EXPECT_EQ(iy * 50, p[1]);
                        EXPECT_EQ(200, p[2]);
                        if (bytes == 4) {
                            EXPECT_EQ(255, p[3]);
                        }
                    }
                }
            }
            // Row padding after the picture's rows is untouched.
            for (int y = 0; y < 4; ++y)
                for (int i = 5 * bytes; i < t.pitch; ++i)
                    EXPECT_EQ(0x11, t.memory[y * t.pitch + i]);
        }
    }
}

TEST(BmpImage, DrawingPartlyOutsideIsClipped) {
    BmpImage image;
    Bytes file = MakeBmp(3, 2);
    ASSERT_TRUE(image.LoadFromMemory(file.data(), file.size()));
    Target t(2, 2, 4);
    image.Draw(t.View(), -2, 1);
    EXPECT_EQ(80, t.At(0, 1)[0]);  // column 2 of the picture
    EXPECT_EQ(0, t.At(0, 1)[1]);
    EXPECT_EQ(0x11, t.At(1, 1)[0]);
    EXPECT_EQ(0x11, t.At(0, 0)[0]);
    image.Draw(t.View(), 100000, -100000);
    image.Draw(t.View(), 2147483600, 0);
}

TEST(BmpImage, FilesThatEndEarlyKeepWhatIsThere) {
    BmpImage image;
    Bytes file = MakeBmp(2, 3);  // rows of 8 bytes, bottom row first
    file.resize(54 + 8 + 3);     // the bottom row whole, the middle row's first pixel
    ASSERT_TRUE(image.LoadFromMemory(file.data(), file.size()));
    Target t(2, 3, 4);
    image.Draw(t.View(), 0, 0);
    EXPECT_EQ(100, t.At(0, 2)[1]);
    EXPECT_EQ(40, t.At(1, 2)[0]);
    EXPECT_EQ(50, t.At(0, 1)[1]);
    EXPECT_EQ(0, t.At(1, 1)[0]) << "missing pixels are black";
    EXPECT_EQ(0, t.At(0, 0)[2]);
}

TEST(BmpImage, OtherFilesAreRefused) {
    BmpImage image;
    Bytes good = MakeBmp(2, 2);
    auto refused = [&](Bytes file, const char* why) {
        EXPECT_FALSE(image.LoadFromMemory(file.data(), file.size())) << why;
        EXPECT_EQ(0, image.GetWidth()) << why;
        EXPECT_FALSE(image.Error().empty()) << why;
    };
    Bytes b = good;
    b[0] = 'X';
    refused(b, "no BM");
    b = good;
    b[28] = 8;
    refused(b, "8-bit");
    b = good;
    b[30] = 1;
    refused(b, "compressed");
    b = good;
    Put32(b, 18, 0);
    refused(b, "no width");
    b = good;
    Put32(b, 22, 0x7FFFFFFF);
    refused(b, "enormous height");
    b = good;
    Put32(b, 10, 0);
    refused(b, "pixels inside the header");
    refused(Bytes(good.begin(), good.begin() + 30), "short header");
    EXPECT_FALSE(image.Load("no/such/file.bmp"));
    EXPECT_FALSE(image.Load(nullptr));
}

TEST(BmpImage, ImageMagickBmpDecodesToImageMagicksPixels) {
    namespace fs = std::filesystem;
    ScratchFolder scratch;
    const fs::path& dir = scratch.path();
    std::string bmp = (dir / "p.bmp").string(), rgb = (dir / "p.rgb").string();
    ASSERT_EQ(0, std::system(("convert -size 7x5 plasma:fractal -seed 3 -type TrueColor bmp3:" +
                              bmp + " && convert " + bmp + " -depth 8 rgb:" + rgb)
                                 .c_str()));
    BmpImage image;
    ASSERT_TRUE(image.Load(bmp.c_str())) << image.Error();
    ASSERT_EQ(7, image.GetWidth());
    ASSERT_EQ(5, image.GetHeight());
    std::ifstream in(rgb, std::ios::binary);
    Bytes want((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(7u * 5 * 3, want.size());
    Target t(7, 5, 3);
    image.Draw(t.View(), 0, 0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(want[(y * 7 + x) * 3 + 2 - c], t.At(x, y)[c]) << x << "," << y;
}
}  // namespace
