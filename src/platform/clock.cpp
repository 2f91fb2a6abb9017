#include "platform/clock.h"

#include <time.h>

#include <atomic>

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
    timespec ts{0, 200000};  // 0.2 ms
    nanosleep(&ts, nullptr);
}
