// The resource image table: registering and loading from the files the table names, drawing frames
// with their clipping and keys onto the back buffer and the work surfaces, reading rows, releasing,
// and the errors that shut the display down.
#include "display/resource_images.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/headless.h"
#include "support/headless_display.h"
#include "support/picture_files.h"

namespace fs = std::filesystem;

namespace {
class ResourceTest : public SpriteDisplay {
  protected:
    // Writes the file of a table row (its path with '\' as folder separator).
    static void WriteRowFile(int id, const std::vector<uint8_t>& bytes) {
        for (int row = 0; ResourceImageTable[row].id; ++row) {
            if (ResourceImageTable[row].id != id) continue;
            std::string path = ResourceImageTable[row].path;
            for (char& c : path)
                if (c == '\\') c = '/';
            fs::create_directories(fs::path(path).parent_path());
            ASSERT_TRUE(WriteBytes(path, bytes));
        }
    }
    static std::string RowPath(int id) {
        for (int row = 0; ResourceImageTable[row].id; ++row)
            if (ResourceImageTable[row].id == id) {
                std::string path = ResourceImageTable[row].path;
                for (char& c : path)
                    if (c == '\\') c = '/';
                return path;
            }
        return {};
    }
    // A two-frame strip, 30 wide and 2 x 4 high: frame 0 pixel (x, y) has blue x, green y, red 10;
    // frame 1 red 20. Column 5 of every row is magenta.
    static RgbPicture Strip() {
        RgbPicture p{30, 8, std::vector<uint8_t>(30 * 8 * 3)};
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 30; ++x)
                if (x == 5)
                    p.Set(x, y, 255, 0, 255);
                else
                    p.Set(x, y, y < 4 ? 10 : 20, static_cast<uint8_t>(y * 8),
                          static_cast<uint8_t>(x * 8));
        return p;
    }
    uint32_t StripColour(int frame, int x, int y) const {
        return Pixel(frame ? 20 : 10, static_cast<uint8_t>((y + 4 * frame) * 8),
                     static_cast<uint8_t>(x * 8));
    }
};

TEST_P(ResourceTest, RegisteredImageDecodesOnItsFirstDrawOnly) {
    WriteRowFile(4, EncodeBmp(Strip()));
    ResourceImage image;
    RegisterResourceImage(image, 4, 2);
    EXPECT_EQ(image.width, 30);
    EXPECT_EQ(image.frameHeight, 4);
    EXPECT_EQ(image.row, 3);
    EXPECT_EQ(image.frameCount, 2);
    EXPECT_EQ(ResourceImageSurface(4), nullptr);
    DrawResourceFrame(image, 1, 100, 200, nullptr, false);
    ASSERT_NE(ResourceImageSurface(4), nullptr);
    DisplaySurface& back = *DisplayBackBuffer();
    EXPECT_EQ(PixelAt(back, 100, 200), StripColour(1, 0, 0));
    EXPECT_EQ(PixelAt(back, 129, 203), StripColour(1, 29, 3));
    EXPECT_EQ(PixelAt(back, 100, 204), 0u);
    // Later draws use the surface: the file is no longer needed.
    fs::remove(RowPath(4));
    DrawResourceFrame(image, 0, 300, 300, nullptr, false);
    EXPECT_EQ(PixelAt(back, 301, 302), StripColour(0, 1, 2));
    EXPECT_TRUE(DisplayIsUp());
    // After release, a draw decodes again, and the missing file now shuts the display down.
    ReleaseResourceImages();
    EXPECT_EQ(ResourceImageSurface(4), nullptr);
    DrawResourceFrame(image, 0, 0, 0, nullptr, false);
    EXPECT_FALSE(DisplayIsUp());
}

TEST_P(ResourceTest, FramesAreClippedAtTheEdgesAndKeyed) {
    WriteRowFile(5, EncodePcx(Strip()));  // BMP row: the PCX bytes are not a BMP
    WriteRowFile(2, EncodePcx(Strip()));
    ResourceImage image;
    LoadResourceImage(image, 2, 2);
    ASSERT_TRUE(DisplayIsUp());
    DisplaySurface& back = *DisplayBackBuffer();
    const uint32_t marker = Pixel(1, 2, 3);
    FillRect(back, RECT{0, 0, 800, 600}, marker);
    DrawResourceFrame(image, 0, -10, 50, nullptr, false);  // columns 10 onward at x = 0
    EXPECT_EQ(PixelAt(back, 0, 50), StripColour(0, 10, 0));
    EXPECT_EQ(PixelAt(back, 19, 53), StripColour(0, 29, 3));
    EXPECT_EQ(PixelAt(back, 20, 50), marker);
    DrawResourceFrame(image, 1, 775, 60, nullptr, true);  // would reach x = 805: cut at 799
    EXPECT_EQ(PixelAt(back, 799, 60), StripColour(1, 24, 0));
    EXPECT_EQ(PixelAt(back, 780, 60), marker);  // column 5 is key
    EXPECT_EQ(PixelAt(back, 781, 61), StripColour(1, 6, 1));
    DrawResourceFrame(image, 0, 100, 598, nullptr, false);  // cut at the bottom
    EXPECT_EQ(PixelAt(back, 100, 599), StripColour(0, 0, 1));
    const FadeRect clip{200, 300, 100, 200};
    FillRect(back, RECT{0, 0, 800, 600}, marker);
    DrawResourceFrame(image, 0, 400, 150, &clip, false);  // wholly outside: nothing, no error
    DrawResourceFrame(image, 0, 150, 150, &clip, false);
    DrawResourceFrame(image, 2, 250, 150, nullptr, false);  // beyond the strip
    DrawResourceFrame(image, -1, 250, 150, nullptr, false);
    for (int x = 140; x < 440; ++x) ASSERT_EQ(PixelAt(back, x, 151), marker) << x;
    EXPECT_TRUE(DisplayIsUp());
    // The clip's own edges cut a frame partly inside it.
    DrawResourceFrame(image, 0, 190, 198, &clip, false);
    EXPECT_EQ(PixelAt(back, 199, 198), marker);
    EXPECT_EQ(PixelAt(back, 200, 198), StripColour(0, 10, 0));
    EXPECT_EQ(PixelAt(back, 200, 199), StripColour(0, 10, 1));
    EXPECT_EQ(PixelAt(back, 200, 200), marker);
    ResourceImage notBmp;
    LoadResourceImage(notBmp, 5, 1);
    EXPECT_FALSE(DisplayIsUp());
}

TEST_P(ResourceTest, DrawsOntoWorkSurfacesWithTheirOwnLossHandling) {
    WriteRowFile(16, EncodeBmp(Strip()));
    ResourceImage image;
    RegisterResourceImage(image, 16, 1);
    EXPECT_EQ(image.frameHeight, 8);
    const FadeRect wide{0, 5000, 0, 600};  // the right edge is held at the screen's
    MarkSurfaceLost(*DisplayWorkSurface(2));
    DrawResourceFrameToWork(2, image, 0, 790, 0, &wide, false);
    EXPECT_EQ(PixelAt(*DisplayWorkSurface(2), 799, 7), StripColour(1, 9, 3));
    EXPECT_EQ(PixelAt(*DisplayBackBuffer(), 799, 7), 0u);
    MarkSurfaceLost(*DisplayWorkSurface(2));
    InjectSurfaceResult(*DisplayWorkSurface(2), SurfaceOp::Restore, DDERR_GENERIC);
    DrawResourceFrameToWork(2, image, 0, 0, 0, nullptr, false);
    EXPECT_FALSE(DisplayIsUp());
}

TEST_P(ResourceTest, SameFileUnderTwoIdsMakesTwoSurfacesAndRowsAreReadable) {
    WriteRowFile(8, EncodeBmp(Strip()));
    ResourceImage a, b;
    LoadResourceImage(a, 8, 1);
    LoadResourceImage(b, 12, 1);
    ASSERT_NE(ResourceImageSurface(8), nullptr);
    EXPECT_NE(ResourceImageSurface(8), ResourceImageSurface(12));
    ResourceRows rows;
    EXPECT_FALSE(ReadResourceRows(6, rows));  // not decoded
    EXPECT_TRUE(rows.rows.empty());
    ASSERT_TRUE(ReadResourceRows(12, rows));
    ASSERT_EQ(rows.height, 8);
    EXPECT_EQ(rows.width, 30);
    uint32_t v = 0;
    std::memcpy(&v, rows.rows[6] + 7 * Bpp(), static_cast<size_t>(Bpp()));
    EXPECT_EQ(v, StripColour(1, 7, 2));
    std::memcpy(&v, rows.rows[0] + 5 * Bpp(), static_cast<size_t>(Bpp()));
    EXPECT_EQ(v, DisplayColourKey());
}

TEST_P(ResourceTest, ErrorsShutTheDisplayDown) {
    ResourceImage image;
    LoadResourceImage(image, 99, 1);  // not in the table
    EXPECT_FALSE(DisplayIsUp());
    EXPECT_EQ(image.row, -1);
    ASSERT_TRUE(InitDisplay());
    RegisterResourceImage(image, 3, 1);  // no file
    EXPECT_FALSE(DisplayIsUp());
    ASSERT_TRUE(InitDisplay());
    WriteRowFile(3, EncodeBmp(Strip()));
    RegisterResourceImage(image, 3, 0);  // no frames
    EXPECT_FALSE(DisplayIsUp());
    ASSERT_TRUE(InitDisplay());
    RgbPicture huge{1, 1, {0, 0, 0}};
    auto bytes = EncodeBmp(huge);
    bytes[18] = 0x30, bytes[19] = 0x75, bytes[22] = 0x30, bytes[23] = 0x75;
    WriteRowFile(13, bytes);
    RegisterResourceImage(image, 13, 1);
    EXPECT_EQ(image.width, 30000);
    EXPECT_TRUE(DisplayIsUp());
    DrawResourceFrame(image, 0, 0, 0, nullptr, false);
    EXPECT_FALSE(DisplayIsUp());
    EXPECT_EQ(ResourceImageSurface(13), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Depths, ResourceTest, ::testing::Values(32, 24, 16));
}  // namespace
