#include "platform/clock.h"

#include <time.h>

#include <atomic>

#include "platform/headless.h"

namespace {
std::atomic<bool> gVirtual{false};
std::atomic<uint32_t> gVirtualNow{0};
std::atomic<uint32_t> gStep{0};

uint32_t RealMilliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}
}  // namespace

uint32_t timeGetTime() {
    if (!gVirtual.load(std::memory_order_relaxed)) return RealMilliseconds();
    return gVirtualNow.fetch_add(gStep.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

void ClockUseReal() {
    gVirtual = false;
}

void ClockUseVirtual(uint32_t start, uint32_t stepPerRead) {
    gVirtualNow = start;
    gStep = stepPerRead;
    gVirtual = true;
}

bool ClockIsVirtual() {
    return gVirtual;
}

uint32_t ClockPeek() {
    if (!gVirtual.load(std::memory_order_relaxed)) return RealMilliseconds();
    return gVirtualNow.load(std::memory_order_relaxed);
}

void ClockAdvance(uint32_t ms) {
    gVirtualNow.fetch_add(ms, std::memory_order_relaxed);
}

void ClockSetStep(uint32_t stepPerRead) {
    gStep = stepPerRead;
}

void ClockIdle() {
    if (gVirtual) return;
    // Until the millisecond clock next ticks: nothing a wait looks at can change before then, and
    // a deadline is met within a fraction of a millisecond with a thousand wake-ups a second
    // rather than the thousands that short fixed naps take.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    timespec tick{now.tv_sec, (now.tv_nsec / 1000000 + 1) * 1000000};
    if (tick.tv_nsec >= 1000000000) {
        tick.tv_sec += 1;
        tick.tv_nsec -= 1000000000;
    }
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &tick, nullptr);
}

void ClockSleepUntil(uint32_t deadline) {
    if (gVirtual) return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const int64_t nowMs = static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    // The clock wraps: the deadline is the nearest millisecond that reads as it.
    const int32_t ahead = static_cast<int32_t>(deadline - static_cast<uint32_t>(nowMs));
    if (ahead <= 0) return;
    const int64_t at = nowMs + ahead;
    const timespec wake{static_cast<time_t>(at / 1000), static_cast<long>(at % 1000) * 1000000};
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr);
}
