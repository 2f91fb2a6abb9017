#include "core/timing.h"

#include "core/messages.h"
#include "platform/clock.h"

namespace {
struct Transition {
    uint32_t start = 0;
    uint32_t duration = 0;
    bool done = false;
};
Transition gTransition;
}  // namespace

void SetDeadline(Deadline& deadline, int32_t ms) {
    deadline = timeGetTime() + static_cast<uint32_t>(ms);
}

void StampNow(Deadline& deadline) {
    deadline = timeGetTime();
}

bool DeadlinePassed(Deadline deadline) {
    return timeGetTime() >= deadline;
}

void WaitPumping(uint32_t ms) {
    uint32_t start = timeGetTime();
    Deadline pump = timeGetTime();
    for (;;) {
        if (DeadlinePassed(pump)) {
            PumpMessages();
            SetDeadline(pump, 250);
        }
        if (!(start + ms > timeGetTime())) return;
        ClockIdle();
    }
}

void WaitOrTouch(uint32_t ms) {
    FlushInput();
    Deadline deadline;
    SetDeadline(deadline, static_cast<int32_t>(ms));
    for (;;) {
        if (DeadlinePassed(deadline)) return;
        if (TouchPoint.x != -1) return;
        PumpMessages();
        ClockIdle();
    }
}

void WaitDiscardingInput(uint32_t ms) {
    Deadline deadline;
    SetDeadline(deadline, static_cast<int32_t>(ms & 0xFFFF));
    do {
        FlushInput();
        WaitPumping(20);
    } while (!DeadlinePassed(deadline));
}

void StartTransition(uint32_t durationMs) {
    gTransition.done = false;
    gTransition.duration = durationMs;
    gTransition.start = timeGetTime();
}

uint32_t TransitionProgress(uint32_t scale) {
    uint32_t elapsed = timeGetTime() - gTransition.start;
    if (elapsed >= gTransition.duration) {
        elapsed = gTransition.duration;
        gTransition.done = true;
    }
    if (gTransition.duration == 0) return scale;
    return scale * elapsed / gTransition.duration;
}

bool TransitionDone() {
    if (gTransition.done) return true;
    gTransition.done = (timeGetTime() - gTransition.start >= gTransition.duration);
    return false;
}
