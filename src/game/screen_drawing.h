// Drawing helpers shared by the game's screens: the pictures they use, the background, the
// message panel and the answer buttons.
#pragma once
#include <cstdint>

#include "display/asset_manifest.h"
#include "display/display.h"

// The game background within the area.
void RestoreGameBackground(const FadeRect& area);
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
