// The game's calls into the display, sprites and text, sound and credit link, gathered in one
// table: each entry has the shape of the call it stands for, so that the screens read the same
// whatever draws or plays them, and tests can watch what a screen asked for.
#pragma once
#include <cstdint>

#include "display/display.h"

struct GameOutside {
    // Draws resource image `id` (frame 0 at 0, 0, not keyed) within `area` of the back buffer.
    void (*restoreImage)(int32_t id, const FadeRect& area);
    // Draws frame `frame` of the named sprite at x, y: alpha true uses the sprite's own alpha,
    // false its magenta key; opacity 0 to 1.
    void (*drawSprite)(const char* path, int32_t frame, int32_t x, int32_t y, bool alpha,
                       float opacity);
    // Draws the part `part` of the whole named sprite at x, y, keyed.
    void (*drawSpritePart)(const char* path, const RECT& part, int32_t x, int32_t y);
    // The question text in its box, in the question font, each line and the block centred.
    void (*drawQuestionText)(const char* text);
    void (*loadSprite)(const char* path, int32_t frames);
    void (*loadResourceImage)(int32_t id);
    void (*playEffect)(uint8_t id);
    void (*playEffectAndWait)(uint8_t id);
    void (*stopAllEffects)();
    void (*stopMusic)();
    // Hands a won prize to the credit service: whole pounds to the bank, the rest to credit.
    void (*payPrize)(int16_t amount);
};
extern GameOutside gGameOutside;

class DisplaySurface;
// The surface of a sprite the game loaded at start-up (the menu's pictures among them), found by
// the path it was loaded with; null when it was not loaded.
DisplaySurface* LoadedSprite(const char* path);
// Releases the loaded sprites (at exit, and between tests).
void ForgetGameSprites();
// The table as the real program has it.
GameOutside DefaultGameOutside();
