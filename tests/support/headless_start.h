// The headless backend with a virtual clock for a test that drives screens and waits.
#pragma once
#include <cstdint>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/window.h"

// Selects the headless backend, clears its input, and starts the virtual clock (1 ms a read)
// 10,000 s later than the previous call in this process, at `first` + 10,000 s the first time, so
// that no frame, redraw or idle deadline left behind by an earlier test lies ahead.
inline void StartHeadlessClock(uint32_t first) {
    static uint32_t start = 0;
    start = (start == 0 ? first : start) + 10000000;
    SelectBackend(Backend::Headless);
    HeadlessResetInput();
    ClockUseVirtual(start, 1);
}
