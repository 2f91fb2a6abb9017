#include "game/answer_clock.h"

#include "platform/clock.h"

AnswerClock gAnswerClock;

namespace {
// Milliseconds since the clock last started running, as a signed span.
int32_t ElapsedSinceStart() {
    return static_cast<int32_t>(timeGetTime() - gAnswerClock.startTime);
}
}  // namespace

void ArmAnswerClock(int32_t ms) {
    AnswerClock& c = gAnswerClock;
    c.beepDue = timeGetTime();
    c.beepInterval = 300;
    c.warnOn = false;
    c.totalMs = c.leftMs = ms;
    c.running = false;
    c.paused = false;
    c.pausedLeft = 0;
}

void RunAnswerClock() {
    if (gAnswerClock.running) return;
    gAnswerClock.startTime = timeGetTime();
    gAnswerClock.running = true;
}

void StopAnswerClock() {
    AnswerClock& c = gAnswerClock;
    if (!c.running) return;
    c.leftMs -= ElapsedSinceStart();
    if (c.leftMs < 0) c.leftMs = 0;
    c.running = false;
}

void PauseAnswerClock() {
    gAnswerClock.pausedLeft = gAnswerClock.totalMs - ElapsedSinceStart();
    gAnswerClock.paused = true;
}

void ResumeAnswerClock() {
    AnswerClock& c = gAnswerClock;
    // A pause taken after the time ran out resumes with none left, so that the time-up follows
    // at once instead of a clock that stays below zero and never reads exactly 0.
    int32_t left = c.pausedLeft < 0 ? 0 : c.pausedLeft;
    c.totalMs = c.leftMs = left;
    c.startTime = timeGetTime();
    c.paused = false;
}

int32_t AnswerTimeLeft() {
    AnswerClock& c = gAnswerClock;
    if (c.paused) return c.pausedLeft;
    int32_t r = c.leftMs;
    if (c.running) r -= ElapsedSinceStart();
    if (r <= 0) StopAnswerClock();
    return r;
}

int32_t AnswerClockFrame(int32_t leftMs) {
    int32_t seconds = leftMs / 1000;
    int32_t step = static_cast<int32_t>(static_cast<double>(seconds) / 1.33);
    int32_t frame = 14 - step;
    if (frame < 0) frame = 0;
    if (frame > 14) frame = 14;
    return frame;
}

bool ClockWarningShows(int32_t leftMs) {
    return leftMs > 0 && leftMs < WarningFromMs;
}

bool StepClockWarning() {
    AnswerClock& c = gAnswerClock;
    uint32_t now = timeGetTime();
    // Compared as a signed span, so that a toggle due across the wrap of the clock waits too.
    if (static_cast<int32_t>(now - c.beepDue) < 0) return false;
    c.warnOn = !c.warnOn;
    c.beepInterval -= 8;
    if (c.beepInterval < 80) c.beepInterval = 80;
    c.beepDue = now + static_cast<uint32_t>(c.beepInterval);
    return c.warnOn;
}
