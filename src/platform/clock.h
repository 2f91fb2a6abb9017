// The millisecond clock: unsigned 32-bit milliseconds that wrap, real or virtual.
#pragma once
#include <cstdint>

// Milliseconds of the process clock; wraps after about 49.7 days.
uint32_t timeGetTime();

// Reads the clock without stepping it in its virtual mode (platform/headless.h): for observers
// such as the audio sinks.
uint32_t ClockPeek();

// Called by busy waits on each pass: real mode gives the processor away until the millisecond
// clock ticks on; virtual mode does nothing. Timing stays exact either way.
void ClockIdle();
// Real mode: gives the processor away until the clock reads `deadline` (at once when it has);
// virtual mode does nothing.
void ClockSleepUntil(uint32_t deadline);
