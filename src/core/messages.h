// The window's messages: the pending touch, the window procedure and the message pump.
#pragma once
#include <cstdint>

struct TouchPosition {
    int16_t x;
    int16_t y;
};
// The last touch not yet consumed; (-1, -1) when none is pending.
extern TouchPosition TouchPoint;

// Who hears an end asked for from outside (the end message carries the signal); the program
// names it when it makes its window. Without one the end message is dropped.
void SetEndMessageHandler(void (*handler)(int signal));

int64_t MainWindowProc(uint32_t message, uint64_t wParam, int64_t lParam);
// Dispatches every waiting message; touches land in TouchPoint.
void PumpMessages();
// Throws every waiting message away and clears TouchPoint.
void FlushInput();
