// The game's 44 sound effects, addressed by effect id (1 to 44, the position in the effect list):
// play once, loop, play and wait, stop one, stop all. Effects load on their first use.
#pragma once
#include <cstdint>

constexpr int EffectCount = 44;

// Effect ids of the effects that the game plays.
constexpr uint8_t EffectInCorrect = 2;
constexpr uint8_t EffectButton = 3;
constexpr uint8_t EffectTimer = 5;
constexpr uint8_t EffectMumbling = 8;
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

// The effect's file, as the program names it ("sounds\..."); null outside 1 to 44.
const char* EffectPath(uint8_t id);

// Start-up: makes the one SoundFx for the main window; false only when it cannot be made.
bool InitSound();

// Plays the effect once from its start (an effect that is sounding restarts).
void PlayEffect(uint8_t id);
// Plays the effect looped from its start until it is stopped.
void LoopEffect(uint8_t id);
// Plays the effect once and returns when it has ended; never use it on a looping effect.
void PlayEffectAndWait(uint8_t id);
// Stops the effect where it is.
void StopEffect(uint8_t id);
// Stops every effect that has been loaded.
void StopAllEffects();
// Whether the effect is sounding now.
bool IsEffectPlaying(uint8_t id);
