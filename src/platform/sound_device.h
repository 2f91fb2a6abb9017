// The effects' sound device: static buffers in each sound's own PCM format, converted once to the
// device format when they are unlocked; play once, loop, stop, status and position per buffer.
// SDL2 mixes them in its audio callback; the headless sink mixes them as the clock moves and
// records what started, looped, stopped and ended, and the mixed samples.
#pragma once
#include <cstdint>

#include "platform/wave_format.h"

using SoundResult = int32_t;
constexpr SoundResult DS_OK = 0;
constexpr SoundResult DSERR_GENERIC = -1;
constexpr SoundResult DSERR_INVALIDPARAM = -2;
constexpr SoundResult DSERR_BADFORMAT = -3;
constexpr SoundResult DSERR_OUTOFMEMORY = -4;
constexpr SoundResult DSERR_NODRIVER = -5;
constexpr SoundResult DSERR_UNINITIALIZED = -6;

constexpr uint32_t DSSCL_NORMAL = 1;
constexpr uint32_t DSBCAPS_STATIC = 0x02;
constexpr uint32_t DSBCAPS_CTRLFREQUENCY = 0x20;
constexpr uint32_t DSBCAPS_CTRLPAN = 0x40;
constexpr uint32_t DSBCAPS_CTRLVOLUME = 0x80;
constexpr uint32_t DSBPLAY_LOOPING = 1;
constexpr uint32_t DSBSTATUS_PLAYING = 1;
constexpr uint32_t DSBSTATUS_LOOPING = 4;
// The largest and smallest buffers the device makes.
constexpr uint32_t DSBSIZE_MIN = 4;
constexpr uint32_t DSBSIZE_MAX = 0x0FFFFFFF;

using SoundBufferHandle = uint32_t;  // 0: no buffer

struct SoundBufferDesc {
    uint32_t size = 36;
    uint32_t flags = 0;
    uint32_t bufferBytes = 0;
    const WaveFormat* format = nullptr;
};

// Makes the device for the default output.
SoundResult SoundDeviceCreate();
SoundResult SoundDeviceSetCooperativeLevel(uint32_t level);
SoundResult SoundDeviceCreateBuffer(const SoundBufferDesc& desc, SoundBufferHandle* buffer);

// Gives the writable bytes from `offset` for `bytes` (one region: the buffer does not wrap here).
SoundResult SoundBufferLock(SoundBufferHandle buffer, uint32_t offset, uint32_t bytes,
                            void** region1, uint32_t* size1, void** region2, uint32_t* size2);
// Ends a write; the buffer's sound is converted to the device format now.
SoundResult SoundBufferUnlock(SoundBufferHandle buffer, void* region1, uint32_t size1,
                              void* region2, uint32_t size2);
SoundResult SoundBufferPlay(SoundBufferHandle buffer, uint32_t flags);
SoundResult SoundBufferStop(SoundBufferHandle buffer);
SoundResult SoundBufferGetStatus(SoundBufferHandle buffer, uint32_t* status);
// Moves the play position to a byte offset of the buffer's own format.
SoundResult SoundBufferSetCurrentPosition(SoundBufferHandle buffer, uint32_t offset);
