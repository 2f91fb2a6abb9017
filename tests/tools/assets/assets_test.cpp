// The generated pictures: every file the game opens exists under its exact name, in the format its
// loader takes, with the frame count and the size that its screen position needs.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include "asset_files.h"
#include "display/asset_manifest.h"
#include "support/capture.h"

namespace {
enum Format { Bmp, Pcx, Tga };

// What the game needs of a picture: frames, and the frame size range that fits where it is drawn.
struct Need {
    std::string path;  // the file, relative to the working folder
    Format format;
    int frames;
    int minW, maxW, minH, maxH;  // of one frame
};
// A sprite or a resource image by the name the game gives it, with its frames from the same list.
Need Sprite(const char* sprite, Format format, int minW, int maxW, int minH, int maxH) {
    return {AssetFilePath(sprite), format, SpriteFrames(sprite), minW, maxW, minH, maxH};
}
Need Image(int32_t id, Format format, int minW, int maxW, int minH, int maxH) {
    const std::string file = AssetFilePath(ResourceImagePath(id));
    return {file, format, ResourceImageFrames(id), minW, maxW, minH, maxH};
}

// Resource images of the picture table (the bank font serves two rows) and the sprite list.
const Need kNeeds[] = {
    Image(LoadingScreenImage, Bmp, 800, 800, 600, 600),
    Image(TransparencyImage, Pcx, 1, 800, 1, 600),
    Image(RulesImage, Bmp, 800, 800, 600, 600),
    // Drawn at (567, 0) around the amount box x 594-763, y 51-103.
    Image(CreditBlankImage, Bmp, 196, 233, 103, 200),
    // Drawn at (0, 0) around the amount box x 38-206, y 51-98.
    Image(BankBlankImage, Bmp, 206, 260, 98, 200),
    Image(Font1Image, Bmp, 4, 64, 8, 64),
    // Four lines of question must fit the 110-row box.
    Image(Font2Image, Bmp, 4, 40, 12, 27),
    // Amounts are centred in boxes 47 and 52 rows high.
    Image(BankFontImage, Bmp, 4, 40, 16, 47),
    Image(AnswerFontImage, Pcx, 4, 40, 8, 64),
    Image(PointsBoxFontImage, Bmp, 4, 64, 8, 64),
    Image(WinPlanFontImage, Bmp, 4, 64, 8, 64),
    Image(GameBackgroundImage, Bmp, 800, 800, 600, 600),
    Image(WinBackgroundImage, Bmp, 800, 800, 600, 600),
    Image(PrizeValuesImage, Bmp, 8, 400, 8, 200),
    Image(MenuBackgroundImage, Bmp, 800, 800, 600, 600),
    Image(TimerBackgroundImage, Bmp, 8, 200, 8, 300),
    Sprite(BankSprite, Tga, 8, 400, 8, 200),
    Sprite(CreditSprite, Tga, 8, 400, 8, 200),
    // The menu restores 188 x 135 behind a button before drawing it.
    Sprite(MainMenuButtonSprite, Bmp, 188, 188, 135, 135),
    Sprite(RulesButtonSprite, Bmp, 188, 188, 135, 135),
    Sprite(PlayButtonSprite, Bmp, 188, 188, 135, 135),
    Sprite(InsertCoinsSprite, Bmp, 188, 188, 135, 135),
    Sprite(HiliteSprite, Tga, 8, 80, 8, 59),
    Sprite(QuestionsRemainingSprite, Tga, 8, 400, 8, 200),
    // Grid pitch 80 pixels, rows 59 apart.
    Sprite(SmallTeamsSprite, Tga, 60, 80, 40, 59),
    Sprite(SmallTeamsOutSprite, Tga, 60, 80, 40, 59),
    // Panels of 175 x 167 with the picture 36 rows down.
    Sprite(BigTeamsSprite, Tga, 120, 175, 90, 131),
    Sprite(BigTeamsOutSprite, Tga, 120, 175, 90, 131),
    // Drawn 17 right and 42 above a big team's picture.
    Sprite(SmallPrizesSprite, Tga, 40, 141, 16, 42),
    // 158 rows at (135, 430), around the 315 x 110 question box at (155, 466), left of True.
    Sprite(MessagePanelSprite, Bmp, 335, 358, 158, 158),
    // Inside the clock's rectangle x 574-659, y 435-582, drawn at (576, 437).
    Sprite(TimerSprite, Tga, 40, 83, 60, 145),
    Sprite(CarryOnButtonSprite, Bmp, 8, 400, 8, 200),
    Sprite(CollectButtonSprite, Bmp, 8, 400, 8, 200),
    Sprite(TrueButtonSprite, Bmp, 67, 67, 67, 67),
    Sprite(FalseButtonSprite, Bmp, 67, 67, 67, 67),
    Sprite(PassButtonSprite, Bmp, 122, 122, 122, 122),
    Sprite(JokerButtonSprite, Bmp, 122, 122, 122, 122),
    // At (189, 439) and (189, 509): within the panel and 70 rows apart.
    Sprite(EliminationNumbersSprite, Bmp, 20, 150, 20, 70),
    Sprite(ValuesGreenSprite, Tga, 8, 400, 8, 200),
    Sprite(ValuesGreySprite, Tga, 8, 400, 8, 200),
    Sprite(RoundsGreenSprite, Bmp, 8, 400, 8, 200),
};

std::string PathOf(const std::string& rel) {
    return GeneratedAssets() + "/" + rel;
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
    return uint16_t(b[at] | b[at + 1] << 8);
}

class Pictures : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(GeneratedAssets().empty()) << "the generator failed"; }
};

TEST_F(Pictures, EveryFileTheGameOpensIsThereUnderItsExactName) {
    std::set<std::string> expected, needed;
    for (const ResourceImageEntry& row : ResourceImageTable)
        if (row.id != 0) expected.insert(AssetFilePath(row.path));
    for (const GameSprite& sprite : GameSprites) expected.insert(AssetFilePath(sprite.path));
    for (const Need& n : kNeeds) needed.insert(n.path);
    EXPECT_EQ(needed, expected) << "every picture the game names is checked here";
    std::set<std::string> found;
    for (auto& e :
         std::filesystem::recursive_directory_iterator(GeneratedAssets() + "/Graphic_resource"))
        if (e.is_regular_file())
            found.insert(std::filesystem::relative(e.path(), GeneratedAssets()).string());
    EXPECT_EQ(found, expected);
}

TEST_F(Pictures, HeadersAreWhatTheGameLoadersTake) {
    for (const Need& n : kNeeds) {
        SCOPED_TRACE(n.path);
        std::vector<uint8_t> b = ReadBytes(PathOf(n.path));
        ASSERT_GE(b.size(), 128u);
        if (n.format == Bmp) {
            EXPECT_EQ(b[0], 'B');
            EXPECT_EQ(b[1], 'M');
            EXPECT_EQ(Le32(b, 10), 54u);  // pixels right after the headers
            EXPECT_EQ(Le32(b, 14), 40u);
            EXPECT_EQ(Le16(b, 28), 24);
            EXPECT_EQ(Le32(b, 30), 0u);
            uint32_t w = Le32(b, 18), h = Le32(b, 22);
            EXPECT_EQ(b.size(), 54 + ((w * 3 + 3) & ~3u) * h);
        } else if (n.format == Pcx) {
            EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 4),
                      (std::vector<uint8_t>{10, 5, 1, 8}));
            EXPECT_EQ(b[65], 3);  // planes
            int width = Le16(b, 8) - Le16(b, 4) + 1;
            EXPECT_EQ(Le16(b, 66), width);  // the loader takes the line length as the width
        } else {
            const std::vector<uint8_t> raw = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
            const std::vector<uint8_t> rle = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
            std::vector<uint8_t> head(b.begin(), b.begin() + 12);
            EXPECT_TRUE(head == raw || head == rle);
            EXPECT_EQ(b[16], 32);
            EXPECT_EQ(b[17] & 0x20, 0) << "rows must be stored bottom first";
        }
    }
}

TEST_F(Pictures, FramesHaveTheSizesTheScreensNeed) {
    for (const Need& n : kNeeds) {
        SCOPED_TRACE(n.path);
        std::string error;
        Pixels px = LoadAsGame(n.path, 32, &error);
        ASSERT_GT(px.width, 0) << "the game cannot load it: " << error;
        EXPECT_EQ(px.height % n.frames, 0) << "frames must be of equal height";
        int fh = px.height / n.frames;
        EXPECT_GE(px.width, n.minW);
        EXPECT_LE(px.width, n.maxW);
        EXPECT_GE(fh, n.minH);
        EXPECT_LE(fh, n.maxH);
    }
}

// The resource decoders turn magenta into the display's key at every depth; nothing else of a
// picture may turn into the key (a colour close to magenta would at 16 bits).
TEST_F(Pictures, ResourceImagesLoadAtEveryDisplayDepth) {
    for (const Need& n : kNeeds) {
        std::string path = n.path;
        if (path.find(".BMP") == std::string::npos && path.find(".PCX") == std::string::npos)
            continue;
        SCOPED_TRACE(path);
        Pixels at32 = LoadAsGame(path, 32);
        ASSERT_GT(at32.width, 0);
        for (int depth : {24, 16}) {
            SCOPED_TRACE(depth);
            std::string error;
            Pixels px = LoadAsGame(path, depth, &error);
            ASSERT_EQ(px.width, at32.width) << error;
            ASSERT_EQ(px.height, at32.height);
            int moved = 0;
            for (int y = 0; y < px.height; ++y)
                for (int x = 0; x < px.width; ++x) moved += px.IsKey(x, y) != at32.IsKey(x, y);
            EXPECT_EQ(moved, 0) << "pixels that change between key and colour";
        }
    }
}

// The game's decoders and ImageMagick see the same pixels in every picture.
TEST_F(Pictures, GameLoadersAgreeWithImageMagick) {
    for (const Need& n : kNeeds) {
        SCOPED_TRACE(n.path);
        Pixels game = LoadAsGame(n.path);
        Pixels magick = ReadWithImageMagick(PathOf(n.path));
        ASSERT_GT(game.width, 0);
        ASSERT_EQ(game.width, magick.width);
        ASSERT_EQ(game.height, magick.height);
        bool alpha = n.format == Tga;
        size_t differing = 0;
        for (size_t i = 0; i < game.rgba.size(); i += 4) {
            if (alpha && game.rgba[i + 3] != magick.rgba[i + 3]) ++differing;
            if (alpha && game.rgba[i + 3] == 0) continue;
            for (int c = 0; c < 3; ++c) differing += game.rgba[i + c] != magick.rgba[i + c];
        }
        EXPECT_EQ(differing, 0u);
    }
}

// Distance from magenta; keyed pictures may hold exact magenta but nothing close to it.
int FromMagenta(const uint8_t* p) {
    return (255 - p[0]) + p[1] + (255 - p[2]);
}

TEST_F(Pictures, KeyedPicturesHaveNoMagentaFringe) {
    for (const Need& n : kNeeds) {
        if (n.format == Tga) continue;
        SCOPED_TRACE(n.path);
        Pixels px = LoadAsGame(n.path);
        ASSERT_GT(px.width, 0);
        int near = 0;
        for (int y = 0; y < px.height; ++y)
            for (int x = 0; x < px.width; ++x) {
                int d = FromMagenta(px.At(x, y));
                if (d > 0 && d < 150) ++near;
            }
        EXPECT_EQ(near, 0) << "pixels blended toward magenta";
    }
}

// The game draws these frames over each other without clearing, so a pixel that is keyed in one
// frame and solid in another would leave a trace.
TEST_F(Pictures, FramesDrawnOverEachOtherShareOneOutline) {
    const char* overdrawn[] = {
        MessagePanelSprite, MainMenuButtonSprite, RulesButtonSprite,
        PlayButtonSprite,   InsertCoinsSprite,    TrueButtonSprite,
        FalseButtonSprite,  PassButtonSprite,     JokerButtonSprite,
    };
    for (const char* sprite : overdrawn) {
        SCOPED_TRACE(sprite);
        const int frames = SpriteFrames(sprite);
        Pixels px = LoadAsGame(AssetFilePath(sprite));
        ASSERT_GT(px.width, 0);
        int fh = px.height / frames, differing = 0;
        for (int f = 1; f < frames; ++f)
            for (int y = 0; y < fh; ++y)
                for (int x = 0; x < px.width; ++x)
                    if (px.IsKey(x, y) != px.IsKey(x, f * fh + y)) ++differing;
        EXPECT_EQ(differing, 0);
    }
    // The play button and the insert-coins sign take each other's place too.
    Pixels play = LoadAsGame(AssetFilePath(PlayButtonSprite));
    Pixels coins = LoadAsGame(AssetFilePath(InsertCoinsSprite));
    ASSERT_EQ(play.width, coins.width);
    int differing = 0;
    for (int y = 0; y < 135; ++y)
        for (int x = 0; x < play.width; ++x)
            if (play.IsKey(x, y) != coins.IsKey(x, 135 + y)) ++differing;
    EXPECT_EQ(differing, 0);
}

// Pictures the game shows opaque (message panel, numbers, plain frames of strips) must have
// content: a frame that is all one colour is a missing drawing.
TEST_F(Pictures, EveryFrameHasADrawing) {
    for (const Need& n : kNeeds) {
        if (n.frames == FontGlyphFrames) continue;  // fonts: the space is empty by design
        SCOPED_TRACE(n.path);
        Pixels px = LoadAsGame(n.path);
        ASSERT_GT(px.width, 0);
        int fh = px.height / n.frames;
        for (int f = 0; f < n.frames; ++f) {
            std::set<uint32_t> colours;
            for (int y = f * fh; y < (f + 1) * fh && colours.size() < 4; ++y)
                for (int x = 0; x < px.width; ++x) {
                    const uint8_t* p = px.At(x, y);
                    if (p[3] == 0) continue;
                    colours.insert(uint32_t(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2]);
                }
            EXPECT_GE(colours.size(), 4u) << "frame " << f;
        }
    }
}

// Strips whose frames stand for different things (teams, numbers, messages, counts) must not
// repeat a frame.
TEST_F(Pictures, FramesOfAStripAreDistinct) {
    const char* strips[] = {
        SmallTeamsSprite,  SmallTeamsOutSprite, BigTeamsSprite, BigTeamsOutSprite,
        SmallPrizesSprite, MessagePanelSprite,  TimerSprite,    EliminationNumbersSprite,
        PassButtonSprite,  JokerButtonSprite,
    };
    for (const char* sprite : strips) {
        SCOPED_TRACE(sprite);
        const int frames = SpriteFrames(sprite);
        Pixels px = LoadAsGame(AssetFilePath(sprite));
        ASSERT_GT(px.width, 0);
        size_t frameBytes = px.rgba.size() / size_t(frames);
        std::set<std::vector<uint8_t>> seen;
        for (int f = 0; f < frames; ++f)
            seen.insert(std::vector<uint8_t>(px.rgba.begin() + f * frameBytes,
                                             px.rgba.begin() + (f + 1) * frameBytes));
        EXPECT_EQ(seen.size(), size_t(frames));
    }
}

// Team badges carry true alpha: solid in the middle, see-through at the corners.
TEST_F(Pictures, TeamBadgesHaveTrueAlpha) {
    for (const char* sprite : {SmallTeamsSprite, BigTeamsSprite}) {
        SCOPED_TRACE(sprite);
        Pixels px = LoadAsGame(AssetFilePath(sprite));
        ASSERT_GT(px.width, 0);
        const int frames = SpriteFrames(sprite);
        int fh = px.height / frames;
        for (int f = 0; f < frames; ++f) {
            EXPECT_EQ(px.At(0, f * fh)[3], 0);
            EXPECT_EQ(px.At(px.width / 2, f * fh + fh / 2)[3], 255);
        }
    }
}

TEST_F(Pictures, TwoRunsWriteTheSameBytes) {
    std::string second = std::string(ASSETS_DIR) + "-again";
    std::filesystem::remove_all(second);
    ASSERT_EQ(RunGenerator(second), 0);
    // Every file of either run is in the other, with the same bytes.
    auto files = [](const std::string& root) {
        std::set<std::string> rel;
        for (auto& e : std::filesystem::recursive_directory_iterator(root))
            if (e.is_regular_file()) rel.insert(std::filesystem::relative(e.path(), root).string());
        return rel;
    };
    std::set<std::string> first = files(GeneratedAssets());
    EXPECT_EQ(first, files(second));
    // The pictures, the 44 effects and the two tunes.
    EXPECT_EQ(first.size(), std::size(kNeeds) + 46);
    for (const std::string& rel : first) {
        SCOPED_TRACE(rel);
        std::vector<uint8_t> bytes = ReadBytes(GeneratedAssets() + "/" + rel);
        EXPECT_FALSE(bytes.empty());
        EXPECT_EQ(bytes, ReadBytes(second + "/" + rel));
    }
    std::filesystem::remove_all(second);
}

TEST_F(Pictures, ContactSheetShowsEveryFrame) {
    std::string sheet = std::string(ASSETS_DIR) + "-sheet.png";
    ASSERT_EQ(RunGenerator("--contact-sheet " + sheet), 0);
    Pixels px = ReadWithImageMagick(sheet);
    std::filesystem::remove(sheet);
    ASSERT_GT(px.width, 0);
    // At least the area of all frames of all pictures.
    size_t area = 0;
    for (const Need& n : kNeeds) {
        int w = 0, h = 0;
        std::istringstream(
            CaptureCommand("identify -format '%w %h' '" + PathOf(n.path) + "'").out) >>
            w >> h;
        area += size_t(w) * h;
    }
    EXPECT_GE(size_t(px.width) * px.height, area);
}

TEST(Generator, RefusesToRunWithoutAFolder) {
    EXPECT_NE(RunGenerator(""), 0);
    EXPECT_NE(RunGenerator("--bogus /tmp/x"), 0);
}
}  // namespace
