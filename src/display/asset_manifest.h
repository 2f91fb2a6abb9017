// The cabinet's pictures as the program names them, in one place: the numbered resource images
// (backgrounds, panels, the countdown strip and the bitmap fonts) with their ids, paths and types,
// and the sprites start-up loads, each by its path with the number of frames stacked in its file.
// The game, the menu, the display, the asset maker and the asset checks all take them from here.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Resource image file types.
constexpr int32_t ResourceTypeBmp = 1;
constexpr int32_t ResourceTypePcx = 2;

// The resource image ids.
constexpr int32_t LoadingScreenImage = 1;
constexpr int32_t TransparencyImage = 2;
constexpr int32_t RulesImage = 3;
constexpr int32_t CreditBlankImage = 4;
constexpr int32_t BankBlankImage = 5;
constexpr int32_t Font1Image = 6;
constexpr int32_t Font2Image = 7;
constexpr int32_t BankFontImage = 8;
constexpr int32_t AnswerFontImage = 9;
constexpr int32_t PointsBoxFontImage = 10;
constexpr int32_t WinPlanFontImage = 11;
constexpr int32_t AmountFontImage = 12;  // the same file as BankFontImage, a row of its own
constexpr int32_t GameBackgroundImage = 13;
constexpr int32_t WinBackgroundImage = 14;
constexpr int32_t PrizeValuesImage = 15;
constexpr int32_t MenuBackgroundImage = 16;
constexpr int32_t TimerBackgroundImage = 17;

// A row of the resource image table.
struct ResourceImageEntry {
    int32_t id;
    const char* path;
    int32_t type;  // ResourceTypeBmp or ResourceTypePcx
};
constexpr int ResourceImageRowCount = 17;
// The table, ended by a row with id 0; ids are looked up by their row.
inline constexpr ResourceImageEntry ResourceImageTable[ResourceImageRowCount + 1] = {
    {LoadingScreenImage, "Graphic_resource\\Loading\\LoadingScreen.BMP", ResourceTypeBmp},
    {TransparencyImage, "Graphic_resource\\transparency.PCX", ResourceTypePcx},
    {RulesImage, "Graphic_resource\\Menu\\InfoScreen.BMP", ResourceTypeBmp},
    {CreditBlankImage, "Graphic_resource\\Menu\\CreditBlank.BMP", ResourceTypeBmp},
    {BankBlankImage, "Graphic_resource\\Menu\\BankBlank.BMP", ResourceTypeBmp},
    {Font1Image, "Graphic_resource\\Font1.BMP", ResourceTypeBmp},
    {Font2Image, "Graphic_resource\\Font2.BMP", ResourceTypeBmp},
    {BankFontImage, "Graphic_resource\\Menu\\BankFont.BMP", ResourceTypeBmp},
    {AnswerFontImage, "Graphic_resource\\Question\\courierfontblueans.PCX", ResourceTypePcx},
    {PointsBoxFontImage, "Graphic_resource\\Main\\pointsboxfont.BMP", ResourceTypeBmp},
    {WinPlanFontImage, "Graphic_resource\\Main\\winplanfont.BMP", ResourceTypeBmp},
    {AmountFontImage, "Graphic_resource\\Menu\\BankFont.BMP", ResourceTypeBmp},
    {GameBackgroundImage, "Graphic_resource\\Main\\Main.BMP", ResourceTypeBmp},
    {WinBackgroundImage, "Graphic_resource\\Main\\WinBackGround.BMP", ResourceTypeBmp},
    {PrizeValuesImage, "Graphic_resource\\Main\\prizevalues.BMP", ResourceTypeBmp},
    {MenuBackgroundImage, "Graphic_resource\\Menu\\OptionBackgroundBLank.BMP", ResourceTypeBmp},
    {TimerBackgroundImage, "Graphic_resource\\Main\\Timer.BMP", ResourceTypeBmp},
    {0, nullptr, 0},
};

// The path of an id in the table, null for an id not in it.
constexpr const char* ResourceImagePath(int32_t id) {
    for (const ResourceImageEntry& entry : ResourceImageTable)
        if (entry.id == id && id != 0) return entry.path;
    return nullptr;
}

// A bitmap font is a strip of this many glyph frames, one for each of the codes 32 to 127.
constexpr int32_t FontGlyphFrames = 96;
constexpr bool IsFontResourceImage(int32_t id) {
    return id >= Font1Image && id <= AmountFontImage;
}
// The frames stacked in a resource image's file.
constexpr int32_t ResourceImageFrames(int32_t id) {
    if (IsFontResourceImage(id)) return FontGlyphFrames;
    if (id == PrizeValuesImage) return 8;
    if (id == TimerBackgroundImage) return 2;
    return 1;
}

// The sprites, by path.
constexpr const char* BankSprite = "Graphic_resource//Menu//Bank.tga";
constexpr const char* CreditSprite = "Graphic_resource//Menu//Credit.tga";
constexpr const char* MainMenuButtonSprite = "Graphic_resource//Menu//MenuButton.bmp";
constexpr const char* RulesButtonSprite = "Graphic_resource//Menu//RulesButton.bmp";
constexpr const char* PlayButtonSprite = "Graphic_resource//Menu//Play-Button.bmp";
constexpr const char* InsertCoinsSprite = "Graphic_resource//Menu//InsertCoins.bmp";
constexpr const char* HiliteSprite = "Graphic_resource//Main//Hilite.tga";
constexpr const char* QuestionsRemainingSprite =
    "Graphic_resource//Questions//QuestionsRemaining.tga";
constexpr const char* SmallTeamsSprite = "Graphic_resource//Main//smallteams.tga";
constexpr const char* SmallTeamsOutSprite = "Graphic_resource//Main//smallteamsout.tga";
constexpr const char* BigTeamsSprite = "Graphic_resource//Main//bigteams.tga";
constexpr const char* BigTeamsOutSprite = "Graphic_resource//Main//bigteamsout.tga";
constexpr const char* SmallPrizesSprite = "Graphic_resource//Main//SmallPrizes.tga";
constexpr const char* MessagePanelSprite = "Graphic_resource//Main//Box.bmp";
constexpr const char* TimerSprite = "Graphic_resource//Main//Timer.tga";
constexpr const char* CarryOnButtonSprite = "Graphic_resource//Main//carryon.bmp";
constexpr const char* CollectButtonSprite = "Graphic_resource//Main//collect.bmp";
constexpr const char* TrueButtonSprite = "Graphic_resource//Main//true.bmp";
constexpr const char* FalseButtonSprite = "Graphic_resource//Main//false.bmp";
constexpr const char* PassButtonSprite = "Graphic_resource//Main//skip.bmp";
constexpr const char* JokerButtonSprite = "Graphic_resource//Main//joker.bmp";
constexpr const char* EliminationNumbersSprite = "Graphic_resource//Main//EliminationNumbers.bmp";
constexpr const char* ValuesGreenSprite = "Graphic_resource//Main//ValuesGreen.tga";
constexpr const char* ValuesGreySprite = "Graphic_resource//Main//ValuesGrey.tga";
constexpr const char* RoundsGreenSprite = "Graphic_resource//Main//RoundsGreen.bmp";

// A sprite start-up loads and the frames stacked in its file.
struct GameSprite {
    const char* path;
    int32_t frames;
};
// Every sprite, in the order start-up loads them.
inline constexpr GameSprite GameSprites[] = {
    {BankSprite, 1},           {CreditSprite, 1},
    {MainMenuButtonSprite, 2}, {RulesButtonSprite, 2},
    {PlayButtonSprite, 2},     {InsertCoinsSprite, 2},
    {HiliteSprite, 1},         {QuestionsRemainingSprite, 1},
    {SmallTeamsSprite, 50},    {SmallTeamsOutSprite, 50},
    {BigTeamsSprite, 50},      {BigTeamsOutSprite, 50},
    {SmallPrizesSprite, 8},    {MessagePanelSprite, 31},
    {TimerSprite, 15},         {CarryOnButtonSprite, 2},
    {CollectButtonSprite, 2},  {TrueButtonSprite, 2},
    {FalseButtonSprite, 2},    {PassButtonSprite, 7},
    {JokerButtonSprite, 7},    {EliminationNumbersSprite, 50},
    {ValuesGreenSprite, 16},   {ValuesGreySprite, 16},
    {RoundsGreenSprite, 7},
};
// The frames of a sprite in the list above, 0 for a path not in it.
constexpr int32_t SpriteFrames(std::string_view path) {
    for (const GameSprite& sprite : GameSprites)
        if (path == sprite.path) return sprite.frames;
    return 0;
}

// The file a program path names, relative to the working folder: its separators ('\' or "//")
// as single '/'.
inline std::string AssetFilePath(std::string_view path) {
    std::string file;
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '\\' || c == '/') {
            if (!file.empty() && file.back() == '/') continue;
            file += '/';
        } else {
            file += c;
        }
    }
    return file;
}
