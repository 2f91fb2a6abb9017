#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/riff.h"
#include "platform/sound_device.h"
#include "platform/wave_format.h"
#include "sound/sound_fx.h"
#include "sound/wave_file.h"

namespace {
uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
}  // namespace

bool ReadWaveFile(RiffFile* file, WaveFileInfo& info) {
    info = WaveFileInfo{};
    RiffChunk riff;
    if (!RiffDescend(file, riff, nullptr, 0)) return false;

    RiffChunk fmt;
    fmt.ckid = MakeFourCC('f', 'm', 't', ' ');
    if (!RiffDescend(file, fmt, &riff, MMIO_FINDCHUNK)) return false;
    uint8_t head[16];
    if (fmt.cksize < 16 || RiffRead(file, head, 16) != 16) return false;
    WaveFormat& f = info.format;
    f.formatTag = U16(head);
    f.channels = U16(head + 2);
    f.samplesPerSec = U32(head + 4);
    f.avgBytesPerSec = U32(head + 8);
    f.blockAlign = U16(head + 12);
    f.bitsPerSample = U16(head + 14);
    f.extraSize = 0;
    if (f.formatTag != WAVE_FORMAT_PCM) {
        // Other formats carry the size of their extra bytes, then the bytes, inside the chunk.
        uint8_t size[2];
        if (fmt.cksize >= 18 && RiffRead(file, size, 2) == 2) f.extraSize = U16(size);
        if (f.extraSize > fmt.cksize - 18u) return false;
        f.extra.resize(f.extraSize);
        if (f.extraSize && RiffRead(file, f.extra.data(), f.extraSize) != f.extraSize) return false;
    }
    RiffAscend(file, fmt);

    // The data chunk is searched from the first chunk after the form type.
    if (RiffSeek(file, static_cast<int64_t>(riff.dataOffset) + 4, 0) < 0) return false;
    RiffChunk data;
    data.ckid = MakeFourCC('d', 'a', 't', 'a');
    if (!RiffDescend(file, data, &riff, MMIO_FINDCHUNK)) return false;
    info.dataOffset = data.dataOffset;
    info.dataClaimed = data.cksize;
    // A data chunk that claims more than the file holds gives only the bytes that are there.
    int64_t present = std::max<int64_t>(0, RiffFileSize(file) - data.dataOffset);
    info.dataSize = static_cast<uint32_t>(std::min<int64_t>(data.cksize, present));
    return true;
}

void SoundFx::LoadWave(const char* path, int slot) {
    if (slot < 0 || slot >= EffectCount) return;
    RiffFile* file = RiffOpen(path);
    if (!file) {
        ShowSoundError(slot + 4);
        return;
    }
    WaveFileInfo info;
    if (!ReadWaveFile(file, info)) {
        RiffClose(file);
        return;
    }
    SoundBufferDesc desc;
    desc.size = 36;
    desc.flags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
    desc.bufferBytes = info.dataSize;
    desc.format = &info.format;
    SoundBufferHandle buffer = 0;
    if (SoundDeviceCreateBuffer(desc, &buffer) != DS_OK) {
        RiffClose(file);
        return;
    }
    buffers_[slot] = buffer;
    void* region = nullptr;
    uint32_t locked = 0;
    if (SoundBufferLock(buffer, 0, info.dataSize, &region, &locked, nullptr, nullptr) == DS_OK) {
        uint32_t want = std::min(locked, info.dataSize);
        if (RiffSeek(file, info.dataOffset, 0) >= 0) {
            int64_t got = RiffRead(file, region, want);
            if (got >= 0 && static_cast<uint32_t>(got) < want)
                std::memset(static_cast<uint8_t*>(region) + got, 0,
                            want - static_cast<uint32_t>(got));
        }
        SoundBufferUnlock(buffer, region, locked, nullptr, 0);
    }
    RiffClose(file);
}
