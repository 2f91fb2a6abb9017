// Shared by the sound device and the wave output only: the one output of the process, its mixer
// and the headless sink. Everything here is guarded by AudioLock().
#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/headless.h"
#include "platform/sound_device.h"
#include "platform/wave_format.h"
#include "platform/wave_out.h"

// The device format: interleaved signed 16-bit stereo at 44100 Hz.
constexpr uint32_t MixerRate = 44100;
constexpr uint32_t MixerChannels = 2;
// A limit that keeps a long headless run from holding unbounded recordings of samples.
constexpr size_t RecordLimitSamples = 32u * 1024u * 1024u;

struct EffectBuffer {
    SoundBufferHandle handle = 0;
    WaveFormat format;
    std::vector<uint8_t> raw;     // the bytes as the owner wrote them, in the file's format
    std::vector<int16_t> device;  // the same sound in the device format, made at unlock
    uint64_t position = 0;        // next device frame to mix
    bool playing = false;
    bool looping = false;
};

struct WaveStream {
    WaveOutHandle handle = 0;
    WaveFormat format;
    WaveOutProc callback = nullptr;
    uintptr_t instance = 0;
    std::deque<WaveHeader*> queue;  // written and not yet played, in order
    uint32_t offset = 0;            // bytes of the front header already played
    uint64_t phase = 0;             // resampling position, in 1/MixerRate of a source frame
    bool paused = false;
};

struct AudioState {
    std::mutex lock;
    std::vector<std::unique_ptr<EffectBuffer>> buffers;
    std::vector<std::unique_ptr<WaveStream>> streams;
    uint32_t nextHandle = 1;
    // SDL: the device, opened once and kept.
    uint32_t sdlDevice = 0;
    bool sdlTried = false;
    // Headless: the sink's clock and what it recorded.
    bool headlessStarted = false;
    bool keepTimeOnly = false;  // play positions move with the clock; nothing is mixed
    uint32_t lastMixTime = 0;
    uint32_t frameRemainder = 0;  // thousandths of a frame carried between mixes
    std::vector<SoundEvent> events;
    std::vector<int16_t> mixed;
    std::vector<int16_t> wavePlayed;
    uint32_t waveRate = 0;
    uint16_t waveChannels = 0;
    uint32_t waveOpens = 0, waveCloses = 0;
    bool pumpStarted = false;
    std::condition_variable pumpWake;
};

// The state, made on first use and never destroyed (music may still be stopping at exit).
AudioState& Audio();
// True when the backend's output can be used: SDL opens its device here on first use.
bool AudioEnsureOutput(AudioState& a);
// SDL2 (sdl_audio.cpp): opens the device on first use; true while it is open.
bool SdlAudioEnsureDevice(AudioState& a);
// Mixes `frames` device frames of every playing buffer and stream into `out` (lock held); the
// number of frames during which anything sounded.
uint32_t AudioMixLocked(AudioState& a, int16_t* out, uint32_t frames, bool record);
// Plays the wave outputs on by `frames` without recording them, so their buffers still come back
// on time (lock held).
void AudioAdvanceStreamsLocked(AudioState& a, uint64_t frames);
// Headless (headless_audio.cpp): mixes everything due up to clock time `now` (lock held).
void AudioCatchUpLocked(AudioState& a, uint32_t now);
// Headless: wakes the sink's pump thread, which plays the wave outputs as the clock moves.
void AudioWakePump(AudioState& a);
// Notes what happened to an effect buffer (bounded).
void AudioNoteEvent(AudioState& a, SoundBufferHandle buffer, SoundEventKind kind);
// Converts one buffer's bytes to the device format; false when the format is not playable.
bool ConvertToDeviceFormat(const WaveFormat& format, const uint8_t* bytes, size_t size,
                           std::vector<int16_t>& out);
bool IsPlayableFormat(const WaveFormat& format);
