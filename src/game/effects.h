// Ids of the sound effects the game plays (their place in the effect list).
#pragma once
#include <cstdint>

constexpr uint8_t EffectInCorrect = 2;
constexpr uint8_t EffectTimer = 5;
constexpr uint8_t EffectCorrect = 9;
constexpr uint8_t EffectBigPoints = 11;
constexpr uint8_t EffectCashWinplan = 12;
constexpr uint8_t EffectGlass = 25;
constexpr uint8_t EffectGameOver = 33;
constexpr uint8_t EffectPour = 34;
constexpr uint8_t EffectTryAgain = 37;
constexpr uint8_t EffectTeamGone1 = 38;
constexpr uint8_t EffectTeamGone2 = 39;
constexpr uint8_t EffectJoker = 40;
constexpr uint8_t EffectSkip = 41;
constexpr uint8_t EffectBigTeamsUp = 42;
constexpr uint8_t EffectTimeOut = 43;
constexpr uint8_t EffectAnswerBuildUp = 44;
