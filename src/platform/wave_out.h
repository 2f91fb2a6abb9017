// The wave output: 16-bit PCM at a rate and channel count, fed by a queue of buffers; a done
// callback for each played buffer on the audio thread; pause, restart, reset (hands back every
// queued buffer) and close. SDL2 plays each open output as its own stream of the one device; the
// headless sink plays at the clock's speed and records every sample it played.
#pragma once
#include <atomic>
#include <cstdint>

#include "platform/wave_format.h"

using MMRESULT = uint32_t;
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT WAVERR_BADFORMAT = 32;
constexpr MMRESULT WAVERR_STILLPLAYING = 33;
constexpr MMRESULT WAVERR_UNPREPARED = 34;
constexpr MMRESULT WAVERR_SYNC = 35;

constexpr uint32_t WAVE_MAPPER = 0xFFFFFFFFu;
constexpr uint32_t CALLBACK_FUNCTION = 0x00030000u;
constexpr uint32_t WOM_OPEN = 0x3BB;
constexpr uint32_t WOM_CLOSE = 0x3BC;
constexpr uint32_t WOM_DONE = 0x3BD;

constexpr uint32_t WHDR_DONE = 0x01;
constexpr uint32_t WHDR_PREPARED = 0x02;
constexpr uint32_t WHDR_BEGINLOOP = 0x04;
constexpr uint32_t WHDR_ENDLOOP = 0x08;
constexpr uint32_t WHDR_INQUEUE = 0x10;

struct WaveHeader {
    uint8_t* data = nullptr;
    uint32_t bufferLength = 0;
    uintptr_t user = 0;
    std::atomic<uint32_t> flags{0};  // set by the audio thread when the buffer is done
    uint32_t loops = 0;
};

using WaveOutHandle = uint32_t;  // 0: not open
// The done callback: `param1` is the WaveHeader* for WOM_DONE.
using WaveOutProc = void (*)(WaveOutHandle output, uint32_t message, uintptr_t instance,
                             uintptr_t param1, uintptr_t param2);

MMRESULT WaveOutOpen(WaveOutHandle* output, uint32_t device, const WaveFormat& format,
                     WaveOutProc callback, uintptr_t instance, uint32_t flags);
MMRESULT WaveOutPrepareHeader(WaveOutHandle output, WaveHeader* header);
MMRESULT WaveOutUnprepareHeader(WaveOutHandle output, WaveHeader* header);
MMRESULT WaveOutWrite(WaveOutHandle output, WaveHeader* header);
MMRESULT WaveOutPause(WaveOutHandle output);
MMRESULT WaveOutRestart(WaveOutHandle output);
// Stops playing and hands back every queued buffer, each marked done with its done callback.
MMRESULT WaveOutReset(WaveOutHandle output);
MMRESULT WaveOutClose(WaveOutHandle output);
