// The run's random numbers: the run-time library's generator (state * 214013 + 2531011, bits
// 16 to 30), seeded once at start-up, and the helpers every screen draws from.
#pragma once
#include <cstdint>

void SeedRandom(uint32_t seed);
// The generator's whole state, for a game journal to carry it across a restart.
uint32_t RandomState();
// The next value, 0 to 32767.
int NextRandom();

// 0 to n - 1 (n of 0 counts as 1).
uint32_t RandomBelow(uint32_t n);
// True with a chance of p in 100.
bool ChancePercent(int32_t p);
// Shuffles in place, drawing count - 1 numbers.
void ShuffleInts(int32_t* values, int32_t count);
// Direction from (x0, y0) to (x1, y1) in radians.
float AngleBetween(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
