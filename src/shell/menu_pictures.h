// The pictures the menu and rules screens draw onto the back buffer: the two full-screen
// backgrounds (whole or within an area) and frames or whole sheets of the button sprites, which
// are the ones start-up loaded with the game's pictures.
#pragma once
#include <cstdint>

#include "display/display.h"

enum class MenuPicture { Background, Rules };

void DrawMenuPicture(MenuPicture picture);
void RestoreMenuPicture(MenuPicture picture, const FadeRect& area);
// Frame f of a two-frame button sprite at (x, y), magenta keyed.
void DrawMenuSpriteFrame(const char* sprite, int32_t frame, int32_t x, int32_t y);
// The whole sprite sheet at (x, y), drawn with its alpha.
void DrawMenuSpriteSheet(const char* sprite, int32_t x, int32_t y);
