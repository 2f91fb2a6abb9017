// brindlemark-inspect image: what it prints, the PNG it writes at each depth, and its one-line
// refusals.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/capture.h"
#include "support/picture_files.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {
// Runs the program with arguments, standard error folded into the output.
Captured Inspect(const std::string& args) {
    return CaptureCommand(std::string(INSPECT_PROGRAM) + " image " + args + " 2>&1");
}

class InspectImage : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const { return folder_.File(name); }
    ScratchFolder folder_{"inspect"};
};

TEST_F(InspectImage, WritesWhatTheCabinetHoldsAtEachDepth) {
    RgbPicture picture = PatternPicture(6, 4, 5);
    picture.Set(1, 0, 255, 0, 255);
    picture.Set(2, 0, 0x87, 0x46, 0x1f);
    ASSERT_TRUE(WriteBytes(Path("strip.Bmp"), EncodeBmp(picture)));
    ASSERT_TRUE(WriteBytes(Path("strip.PCX"), EncodePcx(picture)));
    for (const char* file : {"strip.Bmp", "strip.PCX"}) {
        for (int depth : {16, 24, 32}) {
            const std::string png = Path("out.png");
            const Captured run = Inspect(Path(file) + " --depth " + std::to_string(depth) +
                                         " --frames 2 --png " + png);
            ASSERT_EQ(run.status, 0) << run.out;
            EXPECT_EQ(run.out, "width 6 height 4 frame height 2\n");
            std::vector<uint8_t> rgb;
            if (!ImageMagickRgb(png, 6, 4, rgb)) GTEST_SKIP() << "ImageMagick is not available";
            EXPECT_EQ(rgb[3], 255);  // the key colour stays exact magenta
            EXPECT_EQ(rgb[4], 0);
            EXPECT_EQ(rgb[5], 255);
            // At 16 bits the colour loses its low bits, at 24 and 32 it is kept.
            const std::vector<uint8_t> brown(rgb.begin() + 6, rgb.begin() + 9);
            if (depth == 16)
                EXPECT_EQ(brown, (std::vector<uint8_t>{0x84, 0x45, 0x18})) << file;
            else
                EXPECT_EQ(brown, (std::vector<uint8_t>{0x87, 0x46, 0x1f})) << file;
        }
    }
}

TEST_F(InspectImage, RefusalsAreOneLineAndStatusOne) {
    std::vector<uint8_t> bad(100, 0);
    ASSERT_TRUE(WriteBytes(Path("bad.bmp"), bad));
    Captured run = Inspect(Path("bad.bmp") + " --depth 32 --png " + Path("x.png"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
    EXPECT_NE(run.out.find("not a BMP file"), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(Path("x.png")));

    auto huge = EncodeBmp(RgbPicture{1, 1, {0, 0, 0}});
    huge[18] = 0x30, huge[19] = 0x75, huge[22] = 0x30, huge[23] = 0x75;
    ASSERT_TRUE(WriteBytes(Path("huge.bmp"), huge));
    run = Inspect(Path("huge.bmp") + " --depth 16 --png " + Path("x.png"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("too large"), std::string::npos) << run.out;

    run = Inspect(Path("missing.bmp") + " --depth 24 --png " + Path("x.png"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("cannot be read"), std::string::npos) << run.out;
    EXPECT_EQ(Inspect(Path("bad.bmp") + " --depth 8 --png " + Path("x.png")).status, 2);
}
}  // namespace
