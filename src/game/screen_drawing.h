// Drawing helpers shared by the game's screens: the pictures they use, the background, the
// message panel and the answer buttons.
#pragma once
#include <cstdint>

constexpr int32_t GameBackgroundImage = 13;
constexpr int32_t MenuBackgroundImage = 16;

constexpr const char* SmallTeamsPicture = "Graphic_resource//Main//smallteams.tga";
constexpr const char* SmallTeamsOutPicture = "Graphic_resource//Main//smallteamsout.tga";
constexpr const char* BigTeamsPicture = "Graphic_resource//Main//bigteams.tga";
constexpr const char* BigTeamsOutPicture = "Graphic_resource//Main//bigteamsout.tga";
constexpr const char* SmallPrizesPicture = "Graphic_resource//Main//SmallPrizes.tga";
constexpr const char* TimerPicture = "Graphic_resource//Main//Timer.tga";
constexpr const char* TruePicture = "Graphic_resource//Main//true.bmp";
constexpr const char* FalsePicture = "Graphic_resource//Main//false.bmp";
constexpr const char* PassPicture = "Graphic_resource//Main//skip.bmp";
constexpr const char* JokerPicture = "Graphic_resource//Main//joker.bmp";
constexpr const char* EliminationNumbersPicture = "Graphic_resource//Main//EliminationNumbers.bmp";

// The game background within x0..x1, y0..y1.
void RestoreGameBackground(int32_t x0, int32_t x1, int32_t y0, int32_t y1);
// The game background over the whole screen.
void DrawGameBackground();
// A colour-keyed picture (buttons, panels, numbers) at full opacity.
void DrawKeyedPicture(const char* path, int32_t frame, int32_t x, int32_t y);
// A picture with its own alpha at the given opacity (teams, prizes, timer).
void DrawAlphaPicture(const char* path, int32_t frame, int32_t x, int32_t y, float opacity);
// One frame of the message panel.
void DrawMessagePanel(int32_t frame);
// The True and False buttons with the given frames (1 normal, 0 dimmed).
void DrawAnswerButtons(int32_t trueFrame, int32_t falseFrame);
// Waits ms on the animation timer: no presenting, no messages.
void WaitOnAnimationTimer(uint32_t ms);
// A plain busy wait of ms on the clock: no messages.
void WaitPlain(uint32_t ms);
