#include "core/random.h"

#include <cmath>

namespace {
uint32_t gState = 1;
}

void SeedRandom(uint32_t seed) {
    gState = seed;
}

uint32_t RandomState() {
    return gState;
}

int NextRandom() {
    gState = gState * 214013u + 2531011u;
    return static_cast<int>((gState >> 16) & 0x7FFF);
}

uint32_t RandomBelow(uint32_t n) {
    if (n == 0) n = 1;
    return static_cast<uint32_t>(NextRandom()) % n;
}

bool ChancePercent(int32_t p) {
    return static_cast<int32_t>(RandomBelow(100)) < p;
}

void ShuffleInts(int32_t* values, int32_t count) {
    for (int32_t i = 0; i < count - 1; ++i) {
        int32_t j = i + static_cast<int32_t>(RandomBelow(static_cast<uint32_t>(count - i)));
        int32_t t = values[i];
        values[i] = values[j];
        values[j] = t;
    }
}

float AngleBetween(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    double dy = static_cast<double>(y1 - y0), dx = static_cast<double>(x1 - x0);
    return static_cast<float>(std::atan2(dy, dx));
}
