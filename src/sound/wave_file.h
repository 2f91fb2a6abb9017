// What the effect loader takes from a WAV file: the format block and the data chunk.
#pragma once
#include <cstdint>

#include "platform/riff.h"
#include "platform/wave_format.h"

struct WaveFileInfo {
    WaveFormat format;         // the "fmt " chunk's 16 bytes, extra size and extra bytes
    uint32_t dataOffset = 0;   // file offset of the data chunk's bytes
    uint32_t dataClaimed = 0;  // the size the data chunk states
    uint32_t dataSize = 0;     // the bytes the loader takes: no more than the file holds
};

// Walks an opened WAV file's chunks; false when the "fmt " or "data" chunk is missing or cut.
bool ReadWaveFile(RiffFile* file, WaveFileInfo& info);
