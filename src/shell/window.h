// The shell's window: the pending touch, the window procedure and the message pump.
#pragma once
#include <cstdint>

struct TouchPosition {
    int16_t x;
    int16_t y;
};
// The last touch not yet consumed; (-1, -1) when none is pending.
extern TouchPosition TouchPoint;

// Registers the class and makes and shows the full-screen window; false if either fails.
bool CreateMainWindow();
int64_t MainWindowProc(uint32_t message, uint64_t wParam, int64_t lParam);
// Dispatches every waiting message; touches land in TouchPoint.
void PumpMessages();
// Throws every waiting message away and clears TouchPoint.
void FlushInput();
