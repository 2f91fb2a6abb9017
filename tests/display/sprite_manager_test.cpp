#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "display/sprites.h"
#include "support/headless_display.h"

namespace {
class SpriteManager : public SpriteDisplay {};

TEST_P(SpriteManager, SpriteSurfacesAreThirtyTwoBitKeyedSystemMemoryWhateverTheDisplay) {
    DisplaySurfacePtr surface = CreateSpriteSurface(7, 3);
    ASSERT_TRUE(surface);
    DDSURFACEDESC desc;
    ASSERT_EQ(DD_OK, surface->GetSurfaceDesc(desc));
    EXPECT_EQ(7, desc.width);
    EXPECT_EQ(3, desc.height);
    EXPECT_EQ(32u, desc.pixelFormat.rgbBitCount);
    EXPECT_EQ(0x00FF0000u, desc.pixelFormat.redMask);
    EXPECT_EQ(0x000000FFu, desc.pixelFormat.blueMask);
    EXPECT_EQ(0u, desc.pixelFormat.alphaMask);
    EXPECT_TRUE(desc.caps & DDSCAPS_SYSTEMMEMORY);
    for (uint32_t which : {DDCKEY_SRCBLT, DDCKEY_DESTBLT}) {
        DDCOLORKEY key;
        ASSERT_EQ(DD_OK, surface->GetColorKey(which, key));
        EXPECT_EQ(0x00FF00FFu, key.low);
        EXPECT_EQ(0x00FF00FFu, key.high);
    }
    EXPECT_EQ(800, ImageManager.targetWidth);
    EXPECT_EQ(600, ImageManager.targetHeight);
    EXPECT_EQ(GetParam(), ImageManager.targetDepth);
    EXPECT_FALSE(CreateSpriteSurface(0, 3));
}

TEST_P(SpriteManager, TgaRowsGoBottomUpIntoTheSurfaceWithTheirAlpha) {
    // A 2x1 run-length file: one run packet 0x81 of magenta with alpha 0x80.
    WriteBytes("Run.tga", {0, 0, 10, 0, 0,  0, 0,    0,    0,    0,    0,   0,
                           2, 0, 1,  0, 32, 8, 0x81, 0xFF, 0x00, 0xFF, 0x80});
    DisplaySurfacePtr run = LoadSprite("Run.tga");
    ASSERT_TRUE(run);
    EXPECT_EQ(2, run->Width());
    const uint8_t magenta[8] = {0xFF, 0, 0xFF, 0x80, 0xFF, 0, 0xFF, 0x80};
    EXPECT_EQ(0, std::memcmp(run->Pixels(), magenta, 8));

    // A top-down file is placed exactly as a bottom-up one: upside down.
    SpritePicture picture(3, 2);
    picture.Set(0, 0, {1, 2, 3}, 4);
    picture.Set(2, 1, {5, 6, 7}, 8);
    WriteSpriteTga("Up.TGA", picture);
    std::filesystem::copy_file("Up.TGA", "Down.tga");
    {
        FILE* f = std::fopen("Down.tga", "r+b");
        ASSERT_TRUE(f);
        std::fseek(f, 17, SEEK_SET);
        std::fputc(0x28, f);  // origin at the top
        std::fclose(f);
    }
    for (const char* path : {"Up.TGA", "Down.tga"}) {
        DisplaySurfacePtr s = LoadSprite(path);
        ASSERT_TRUE(s) << path;
        const uint8_t* top = s->Pixels();
        const uint8_t* bottom = s->Pixels() + s->Pitch();
        EXPECT_EQ(1, top[2]);
        EXPECT_EQ(3, top[0]);
        EXPECT_EQ(4, top[3]);
        EXPECT_EQ(7, bottom[2 * 4 + 0]);
        EXPECT_EQ(8, bottom[2 * 4 + 3]);
    }
}

TEST_P(SpriteManager, DecoderIsChosenByTheExactCaseOfTheExtension) {
    SpritePicture picture(2, 2, {10, 20, 30});
    WriteSpriteBmp("Picture.Tga", picture);  // goes through the BMP reader
    WriteSpriteTga("Picture.TGA", picture);
    WriteSpriteTga("Timer.tga", picture);
    WriteSpriteBmp("Bmp.TGA", picture);  // read as TGA: refused
    EXPECT_TRUE(LoadSprite("Picture.Tga"));
    EXPECT_TRUE(LoadSprite("Picture.TGA"));
    EXPECT_TRUE(LoadSprite("Timer.tga"));
    EXPECT_FALSE(LoadSprite("Bmp.TGA"));
    EXPECT_EQ(3u, ImageManager.records.size());
    // A BMP sprite is opaque: its fourth byte is 255.
    DisplaySurfacePtr bmp = LoadSprite("Picture.Tga");
    EXPECT_EQ(255, bmp->Pixels()[3]);
    EXPECT_EQ(30, bmp->Pixels()[0]);
}

TEST_P(SpriteManager, FailedLoadsReturnNullAndAddNoRecord) {
    std::vector<uint8_t> header = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 4, 0, 32, 8};
    std::vector<uint8_t> shortFile = header;
    shortFile.resize(18 + 4 * 4 * 4 - 1);
    WriteBytes("Short.tga", shortFile);
    WriteBytes("Overrun.tga",
               {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 32, 8, 0x82, 1, 2, 3, 4});
    std::vector<uint8_t> huge = {0, 0, 10, 0,    0,    0,    0,    0,  0,
                                 0, 0, 0,  0xFF, 0xFF, 0xFF, 0xFF, 32, 8};
    huge.insert(huge.end(), {0xFF, 1, 2, 3, 4});
    WriteBytes("Huge.tga", huge);
    WriteBytes("Junk.bmp", {'B', 'M', 1, 2, 3});
    for (const char* path :
         {"Short.tga", "Overrun.tga", "Huge.tga", "Junk.bmp", "Missing.tga", "Missing.bmp"})
        EXPECT_FALSE(LoadSprite(path, 1)) << path;
    EXPECT_FALSE(LoadSprite(nullptr, 1));
    EXPECT_TRUE(ImageManager.records.empty());
    EXPECT_EQ(nullptr, GetFrameRect("Short.tga", 0));

    // After a display shutdown (a missing picture at start-up) a good file loads as null too,
    // without touching the device that went with the display.
    std::vector<uint8_t> good = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 32, 8, 1, 2, 3, 4};
    WriteBytes("Good.tga", good);
    ASSERT_TRUE(LoadSprite("Good.tga", 1));
    ShutdownDisplay();
    EXPECT_FALSE(LoadSprite("Good.tga", 1));
    EXPECT_FALSE(CreateSpriteSurface(4, 4));
}

TEST_P(SpriteManager, FrameRectanglesComeFromTheFirstRecordThatHasTheFrame) {
    std::filesystem::create_directories("Graphic_resource/Main");
    SpritePicture box(9, 3100, {0, 0, 255});
    WriteSpriteBmp("Graphic_resource/Main/Box.bmp", box);
    std::string path = "Graphic_resource//Main//Box.bmp";  // the caller's text may change later
    ASSERT_TRUE(LoadSprite(path.c_str(), 31));
    path.assign(path.size(), 'x');
    const RECT* r = GetFrameRect("Graphic_resource//Main//Box.bmp", 3);
    ASSERT_NE(nullptr, r);
    EXPECT_EQ(0, r->left);
    EXPECT_EQ(300, r->top);
    EXPECT_EQ(9, r->right);
    EXPECT_EQ(400, r->bottom);
    r = GetFrameRect("graphic_resource//main//box.bmp", 30);
    ASSERT_NE(nullptr, r);
    EXPECT_EQ(3000, r->top);
    EXPECT_EQ(nullptr, GetFrameRect("Graphic_resource//Main//Box.bmp", 31));
    EXPECT_EQ(nullptr, GetFrameRect("Graphic_resource//Main//Bo", 0)) << "a shorter path";
    EXPECT_EQ(nullptr, GetFrameRect("Graphic_resource//Main//Box.bmp", -1));
    EXPECT_EQ(nullptr, GetFrameRect(nullptr, 0));
    // The record's name only has to start the path.
    EXPECT_NE(nullptr, GetFrameRect("Graphic_resource//Main//Box.bmp.old", 0));

    // Frame 2 of a two-frame button is none; a later record of the same path with more frames
    // answers instead.
    SpritePicture button(4, 14, {1, 1, 1});
    WriteSpriteBmp("Button.bmp", button);
    ASSERT_TRUE(LoadSprite("Button.bmp", 2));
    EXPECT_EQ(nullptr, GetFrameRect("Button.bmp", 2));
    ASSERT_TRUE(LoadSprite("Button.bmp", 7));
    r = GetFrameRect("Button.bmp", 2);
    ASSERT_NE(nullptr, r);
    EXPECT_EQ(4, r->top);
    EXPECT_EQ(6, r->bottom);
    r = GetFrameRect("Button.bmp", 1);
    EXPECT_EQ(7, r->top) << "the first record wins";

    ShutdownImageManager();
    EXPECT_TRUE(ImageManager.records.empty());
    EXPECT_EQ(nullptr, GetFrameRect("Button.bmp", 0));
    EXPECT_FALSE(CreateSpriteSurface(2, 2)) << "no device after shutdown";
}

INSTANTIATE_TEST_SUITE_P(Depths, SpriteManager, testing::Values(32, 24, 16), DepthName);
}  // namespace
