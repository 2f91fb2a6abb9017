// PNG output: the pixels come back as written (read by ImageMagick), and bad requests leave no
// file.
#include "platform/png.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "support/capture.h"
#include "support/scratch.h"

namespace {
TEST(WritePng, PixelsComeBackAsWritten) {
    const std::vector<uint8_t> rgba = {255, 0, 0, 255, 0,   255, 0,   128, 0, 0, 255, 0,
                                       1,   2, 3, 4,   250, 251, 252, 253, 9, 8, 7,   255};
    ScratchFolder scratch("png");
    const std::string path = scratch.File("ok.png");
    ASSERT_TRUE(WritePng(path, rgba, 3, 2));
    Captured back = CaptureCommand("convert '" + path + "' -depth 8 rgba:- 2>/dev/null");
    if (back.status != 0 && back.out.empty())
        GTEST_SKIP() << "ImageMagick's convert is not available";
    EXPECT_EQ(std::vector<uint8_t>(back.out.begin(), back.out.end()), rgba);
}

TEST(WritePng, BadRequestsLeaveNoFile) {
    ScratchFolder scratch("png");
    const std::string path = scratch.File("bad.png");
    EXPECT_FALSE(WritePng(path, std::vector<uint8_t>(15), 2, 2));
    EXPECT_FALSE(WritePng(path, {}, 0, 0));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(WritePng(scratch.File("no_such_dir/x.png"), std::vector<uint8_t>(4), 1, 1));
}
}  // namespace
