#include "display/display.h"
#include "platform/clock.h"
#include "shell/timing.h"
#include "shell/window.h"

namespace {
bool gPresented = false;
Deadline gFrameDeadline = 0;
}  // namespace

void Present() {
    if (gPresented) {
        do {
            PumpMessages();
            ClockIdle();
        } while (!DeadlinePassed(gFrameDeadline));
    } else {
        PumpMessages();
    }
    gPresented = true;
    SetDeadline(gFrameDeadline, 15);
}
