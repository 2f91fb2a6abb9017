// The message panel: one picture of 31 frames drawn below the grid, each frame one message.
#pragma once
#include <cstdint>

#include "display/asset_manifest.h"

constexpr int32_t MessagePanelX = 135;
constexpr int32_t MessagePanelY = 430;
constexpr int32_t MessagePanelFrameHeight = 158;

constexpr int32_t PanelOpening1 = 0;  // also the dark half of the time-up flashing
constexpr int32_t PanelOpening2 = 1;
constexpr int32_t PanelOpening3 = 2;
constexpr int32_t PanelQuestion = 3;
constexpr int32_t PanelRight = 4;
constexpr int32_t PanelWrong = 5;
constexpr int32_t PanelTryAgain = 6;
constexpr int32_t PanelPassed = 7;
constexpr int32_t PanelTimeUp = 8;
constexpr int32_t PanelGameOver = 9;
constexpr int32_t PanelFinalOpening = 10;
constexpr int32_t PanelAllBigTeamsBeaten = 13;
constexpr int32_t PanelWinFirst = 14;  // 14 to 21: the prizes 50 to 600
constexpr int32_t PanelJokerExtra = 22;
constexpr int32_t PanelKnockingOut = 23;
constexpr int32_t PanelFinalLost = 24;
constexpr int32_t PanelOneBigTeamBeaten = 25;
constexpr int32_t PanelTwoBigTeamsBeaten = 26;
constexpr int32_t PanelWarning = 27;  // only its top band of 36 rows is drawn
constexpr int32_t PanelOneKnockedOut = 28;
constexpr int32_t PanelSeveralKnockedOut = 29;
constexpr int32_t PanelFinalLostOther = 30;

// The win panel for a prize, or -1 for a prize without one.
int32_t WinPanelFrame(int32_t amount);
