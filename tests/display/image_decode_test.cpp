// The BMP and PCX decoders: padding, planes and runs, the key colour at each depth, files that end
// early or claim impossible sizes, and agreement with ImageMagick's reading of the same files.
#include "display/image_decode.h"

#include <gtest/gtest.h>

#include "support/picture_files.h"
#include "support/scratch.h"

namespace {
// Checks every decoded pixel against the picture converted to the display format.
void ExpectPicture(const DecodedImage& image, const RgbPicture& picture, int depth) {
    ASSERT_EQ(image.width, picture.width);
    ASSERT_EQ(image.height, picture.height);
    const int bpp = depth / 8;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* in = picture.rgb.data() + (y * picture.width + x) * 3;
            const auto want = DisplayBytes(in[0], in[1], in[2], depth);
            const uint8_t* got = image.pixels.data() + (y * picture.width + x) * bpp;
            ASSERT_EQ(std::vector<uint8_t>(got, got + bpp), want)
                << "pixel " << x << "," << y << " at depth " << depth;
        }
}

class DecodeTest : public ::testing::TestWithParam<int> {};

TEST_P(DecodeTest, BmpRowsArePaddedToFourBytesAndStoredBottomUp) {
    for (int width : {1, 2, 3, 123}) {
        const RgbPicture picture = PatternPicture(width, 5, static_cast<unsigned>(width));
        const auto file = EncodeBmp(picture);
        DecodedImage image;
        std::string error;
        ASSERT_TRUE(DecodeBmp(file.data(), file.size(), GetParam(), image, error)) << error;
        ExpectPicture(image, picture, GetParam());
    }
}

TEST_P(DecodeTest, PcxPlanesAndRuns) {
    RgbPicture picture = PatternPicture(10, 4, 7);
    for (int x = 2; x < 9; ++x) picture.Set(x, 1, 200, 201, 202);  // runs in each plane
    const auto file = EncodePcx(picture);
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(DecodePcx(file.data(), file.size(), GetParam(), image, error)) << error;
    ExpectPicture(image, picture, GetParam());
}

TEST_P(DecodeTest, MagentaBecomesTheDisplayKey) {
    RgbPicture picture{1, 1, {255, 0, 255}};
    const uint32_t key = GetParam() == 16 ? 0xF81Fu : 0x00FF00FFu;
    for (auto file : {EncodeBmp(picture), EncodePcx(picture)}) {
        DecodedImage image;
        std::string error;
        const int32_t type = file[0] == 'B' ? ResourceTypeBmp : ResourceTypePcx;
        ASSERT_TRUE(DecodeResourceFile(file.data(), file.size(), type, GetParam(), image, error));
        uint32_t v = 0;
        for (int i = 0; i < image.bytesPerPixel; ++i) v |= uint32_t{image.pixels[i]} << (8 * i);
        EXPECT_EQ(v, key) << "type " << type;
    }
}

TEST_P(DecodeTest, FileEndingEarlyKeepsWhatIsThereAndZeroesTheRest) {
    const RgbPicture picture = PatternPicture(4, 3, 3);
    auto bmp = EncodeBmp(picture);
    // The bottom file row (picture row 2) and one pixel and a byte of the next.
    bmp.resize(54 + 12 + 4);
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(DecodeBmp(bmp.data(), bmp.size(), GetParam(), image, error));
    const int bpp = GetParam() / 8;
    const uint8_t* in = picture.rgb.data() + (2 * 4 + 3) * 3;
    const auto want = DisplayBytes(in[0], in[1], in[2], GetParam());
    EXPECT_EQ(std::vector<uint8_t>(image.pixels.begin() + (2 * 4 + 3) * bpp,
                                   image.pixels.begin() + (2 * 4 + 4) * bpp),
              want);
    const uint8_t* row1 = picture.rgb.data() + 4 * 3;
    EXPECT_EQ(std::vector<uint8_t>(image.pixels.begin() + 4 * bpp, image.pixels.begin() + 5 * bpp),
              DisplayBytes(row1[0], row1[1], row1[2], GetParam()));
    for (int i = 5 * bpp; i < 8 * bpp; ++i) EXPECT_EQ(image.pixels[i], 0) << i;
    for (int i = 0; i < 4 * bpp; ++i) EXPECT_EQ(image.pixels[i], 0) << i;

    auto pcx = EncodePcx(picture);
    pcx.resize(128 + 5);  // part of the first row's red plane
    ASSERT_TRUE(DecodePcx(pcx.data(), pcx.size(), GetParam(), image, error));
    EXPECT_EQ(image.height, 3);
    for (size_t i = 4 * bpp; i < image.pixels.size(); ++i) ASSERT_EQ(image.pixels[i], 0) << i;
}

TEST_P(DecodeTest, ImpossibleSizesAreErrors) {
    RgbPicture tiny{1, 1, {1, 2, 3}};
    auto bmp = EncodeBmp(tiny);
    bmp[18] = 0x30, bmp[19] = 0x75, bmp[22] = 0x30, bmp[23] = 0x75;  // 30000 x 30000
    DecodedImage image;
    std::string error;
    EXPECT_FALSE(DecodeBmp(bmp.data(), bmp.size(), GetParam(), image, error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    auto pcx = PcxHeader(30000, 30000);
    EXPECT_FALSE(DecodePcx(pcx.data(), pcx.size(), GetParam(), image, error));
    bmp[22] = 0, bmp[23] = 0;  // height 0
    EXPECT_FALSE(DecodeBmp(bmp.data(), bmp.size(), GetParam(), image, error));
    pcx = PcxHeader(4, 4);
    pcx[6] = 9;  // y-min beyond y-max
    EXPECT_FALSE(DecodePcx(pcx.data(), pcx.size(), GetParam(), image, error));
    pcx[0] = 11;
    EXPECT_FALSE(DecodePcx(pcx.data(), pcx.size(), GetParam(), image, error));
    bmp[0] = 'X';
    EXPECT_FALSE(DecodeBmp(bmp.data(), bmp.size(), GetParam(), image, error));
    EXPECT_FALSE(DecodeBmp(bmp.data(), 20, GetParam(), image, error));
}

INSTANTIATE_TEST_SUITE_P(Depths, DecodeTest, ::testing::Values(32, 24, 16));

TEST(PcxDecode, RunPastARowEndSpillsIntoPixelsTheNextRowRewrites) {
    // 2 x 2 picture. Row 0's blue plane is one run of 3: its third value lands on row 1's first
    // pixel, which row 1's own blue plane then rewrites. Row 1's blue plane is a run of 3 as well:
    // its spill falls past the picture and is dropped.
    std::vector<uint8_t> file = PcxHeader(2, 2);
    for (uint8_t b : {10, 20, 30, 40, 0xC3, 50}) file.push_back(b);   // row 0
    for (uint8_t b : {60, 70, 80, 90, 0xC3, 100}) file.push_back(b);  // row 1
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(DecodePcx(file.data(), file.size(), 24, image, error)) << error;
    const std::vector<uint8_t> want = {50, 30, 10, 50, 40, 20, 100, 80, 60, 100, 90, 70};
    EXPECT_EQ(image.pixels, want);
    // Without row 1's data the spilled value stays.
    file.resize(128 + 6);
    ASSERT_TRUE(DecodePcx(file.data(), file.size(), 24, image, error));
    EXPECT_EQ(image.pixels[6], 50);
    EXPECT_EQ(image.pixels[7], 0);
}

TEST(DecodeAgainstImageMagick, BmpAndPcxReadTheSame) {
    ScratchFolder scratch("decode");
    for (int width : {1, 2, 3, 123}) {
        for (int type : {ResourceTypeBmp, ResourceTypePcx}) {
            if (type == ResourceTypePcx && width % 2) continue;  // PCX lines are whole words
            const RgbPicture picture = PatternPicture(width, 6, 11u * static_cast<unsigned>(width));
            const auto file = type == ResourceTypeBmp ? EncodeBmp(picture) : EncodePcx(picture);
            const std::string path =
                scratch.File(std::to_string(width) + (type == 1 ? ".bmp" : ".pcx"));
            ASSERT_TRUE(WriteBytes(path, file));
            std::vector<uint8_t> reference;
            const bool haveReference = ImageMagickRgb(path, width, 6, reference);
            if (!haveReference) GTEST_SKIP() << "ImageMagick's convert is not available";
            DecodedImage image;
            std::string error;
            ASSERT_TRUE(DecodeResourceFile(file.data(), file.size(), type, 24, image, error));
            const auto rgba = DecodedToRgba(image);
            for (size_t i = 0; i < static_cast<size_t>(width) * 6; ++i)
                for (size_t c = 0; c < 3; ++c)
                    ASSERT_EQ(rgba[i * 4 + c], reference[i * 3 + c])
                        << "width " << width << " type " << type << " pixel " << i;
        }
    }
}
}  // namespace
