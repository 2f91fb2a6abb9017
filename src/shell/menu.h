// The menu screen between games (Main Menu, Rules, the play button or insert-coins sign, the bank
// and credit displays) and the rules screen reached from it.
#pragma once
#include <cstdint>

#include "core/timing.h"
#include "display/asset_manifest.h"

// Where each menu button's sprite is drawn; index 0 Main Menu, 1 Rules, 2 Play.
struct MenuButtonPlace {
    const char* sprite;
    int32_t x;
    int32_t y;
};
constexpr int32_t MenuButtonPlaceCount = 3;
extern const MenuButtonPlace MenuButtonPlaces[MenuButtonPlaceCount];

// Where RunMenu and the rules screen put the insert-coins sign (the frame redraw puts it at the
// play button's place).
constexpr int32_t InsertCoinsX = 630;
constexpr int32_t InsertCoinsY = 364;

// The rules screen closes by itself after this long.
constexpr uint32_t RulesShownMs = 20000;

// The menu's one piece of state: when DrawMenuFrame next restores the upper background.
extern Deadline gMenuRedrawDeadline;

// Shows the menu until a game is paid for (true) or the program is to end (false).
bool RunMenu();
// The menu wait's per-poll redraw; it does not present.
void DrawMenuFrame();
// Shows menu button i pressed and released (400 ms); other indexes draw nothing.
void AnimateButtonPress(int32_t i);
// The play button, or while credit and bank are short of the stake the insert-coins sign at
// (signX, signY).
void DrawPlayOrInsertCoins(int32_t signX, int32_t signY);
// Shows the rules until a touch inside the screen or 20 seconds, then rebuilds the menu.
void ShowRules();
