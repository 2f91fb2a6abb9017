// The ids of the sound effects the program plays by name: their place (1 to 44) in the effect
// list.
#pragma once
#include <cstdint>

enum EffectId : uint8_t {
    EffectInCorrect = 2,
    EffectButton = 3,
    EffectTimer = 5,
    EffectMumbling = 8,
    EffectCorrect = 9,
    EffectBigPoints = 11,
    EffectCashWinplan = 12,
    EffectGlass = 25,
    EffectGameOver = 33,
    EffectPour = 34,
    EffectTryAgain = 37,
    EffectTeamGone1 = 38,
    EffectTeamGone2 = 39,
    EffectJoker = 40,
    EffectSkip = 41,
    EffectBigTeamsUp = 42,
    EffectTimeOut = 43,
    EffectAnswerBuildUp = 44,
};
