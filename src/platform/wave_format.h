// The format block of a sound: what a WAV file's "fmt " chunk holds and what the sound device and
// the wave output are opened with.
#pragma once
#include <cstdint>
#include <vector>

constexpr uint16_t WAVE_FORMAT_PCM = 1;
constexpr uint16_t WAVE_FORMAT_IEEE_FLOAT = 3;
constexpr uint16_t WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;      // bytes of `extra`; 0 for PCM
    std::vector<uint8_t> extra;  // format-specific bytes after the extra-size field
};
