// The conversion of decoder samples (fixed point, 28 fractional bits, 1.0 = 0x10000000) to 16-bit
// PCM: noise-shaped error feedback, a half-step bias, a random dither, clipping, then the drop
// of the low 13 bits. One state per channel, all zero at the start of a run.
#pragma once
#include <cstdint>

struct DitherState {
    int64_t error[3] = {0, 0, 0};
    uint32_t random = 0;
};

inline int16_t ConvertSample(int32_t input, DitherState& d) {
    int64_t sample = static_cast<int64_t>(input) + d.error[0] - d.error[1] + d.error[2];
    d.error[2] = d.error[1];
    d.error[1] = d.error[0] / 2;
    int64_t output = sample + 4096;
    uint32_t next = d.random * 0x0019660Du + 0x3C6EF35Fu;
    output += static_cast<int64_t>(next & 0x1FFF) - static_cast<int64_t>(d.random & 0x1FFF);
    d.random = next;
    if (output > 0x0FFFFFFF) output = 0x0FFFFFFF;
    if (output < -0x10000000) output = -0x10000000;
    output &= ~static_cast<int64_t>(0x1FFF);
    d.error[0] = sample - output;
    return static_cast<int16_t>(output >> 13);
}
