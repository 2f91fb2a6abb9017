// PNG output: the pixels come back as written (read by ImageMagick), and bad requests leave no
// file.
#include "platform/png.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "support/capture.h"

namespace fs = std::filesystem;

namespace {
fs::path TempPng(const char* name) {
    return fs::temp_directory_path() /
           (std::string("bm_png_") +
            std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" + name);
}

TEST(WritePng, PixelsComeBackAsWritten) {
    const std::vector<uint8_t> rgba = {255, 0, 0, 255, 0,   255, 0,   128, 0, 0, 255, 0,
                                       1,   2, 3, 4,   250, 251, 252, 253, 9, 8, 7,   255};
    const fs::path path = TempPng("ok.png");
    ASSERT_TRUE(WritePng(path.string(), rgba, 3, 2));
    Captured back = CaptureCommand("convert '" + path.string() + "' -depth 8 rgba:- 2>/dev/null");
    fs::remove(path);
    if (back.status != 0 && back.out.empty()) GTEST_SKIP() << "ImageMagick's convert is not available";
    EXPECT_EQ(std::vector<uint8_t>(back.out.begin(), back.out.end()), rgba);
}

TEST(WritePng, BadRequestsLeaveNoFile) {
    const fs::path path = TempPng("bad.png");
    EXPECT_FALSE(WritePng(path.string(), std::vector<uint8_t>(15), 2, 2));
    EXPECT_FALSE(WritePng(path.string(), {}, 0, 0));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(WritePng((fs::temp_directory_path() / "no_such_dir_bm" / "x.png").string(),
                          std::vector<uint8_t>(4), 1, 1));
}
}  // namespace
