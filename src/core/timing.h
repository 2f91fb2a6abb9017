// Deadlines, waits and the one transition that drives every animation.
// All of them read the millisecond clock; arithmetic is unsigned 32-bit and wraps.
#pragma once
#include <cstdint>

using Deadline = uint32_t;

void SetDeadline(Deadline& deadline, int32_t ms);
void StampNow(Deadline& deadline);
bool DeadlinePassed(Deadline deadline);

// Busy wait of ms that pumps messages on the first pass and then every 250 ms.
void WaitPumping(uint32_t ms);
// Discards earlier input, then waits ms or until a touch arrives (the touch stays pending).
void WaitOrTouch(uint32_t ms);
// Waits ms (low 16 bits) throwing input away; only a touch in the last 20 ms slice survives.
void WaitDiscardingInput(uint32_t ms);

void StartTransition(uint32_t durationMs);
// Elapsed time scaled to 0..scale; marks the transition done when it reaches the end.
uint32_t TransitionProgress(uint32_t scale);
// True once a call of this or TransitionProgress has seen the time run out.
bool TransitionDone();
