// The game's 44 sound effects, addressed by effect id (1 to 44, the position in the effect list):
// play once, loop, play and wait, stop one, stop all. Effects load on their first use.
#pragma once
#include <cstdint>

constexpr int EffectCount = 44;

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
