// The two helps of the main rounds, passes and the joker: their buttons show how many are left,
// and spending one counts the button down.
#pragma once
#include <cstdint>

// Spends n passes (add false) with the count-down and redraws the Pass button; n = 0 only
// redraws it. Nothing is drawn once the game is lost.
void UpdatePassCounter(uint16_t n, bool add);
// The same for the joker.
void UpdateJokerCounter(uint16_t n, bool add);
