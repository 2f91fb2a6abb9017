#include "platform/audio_mixer.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/sdl_window.h"

namespace {
// Limits that keep a long headless run from holding unbounded recordings.
constexpr size_t RecordLimitSamples = 32u * 1024u * 1024u;
constexpr size_t EventLimit = 100000;
// A headless catch-up never mixes more than this at once; a clock that jumps further (a test
// choosing a new start) only loses time.
constexpr uint32_t CatchUpLimitMs = 10000;

std::mutex gOpenLock;

void SdlAudioCallback(void*, Uint8* stream, int len) {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    AudioMixLocked(a, reinterpret_cast<int16_t*>(stream),
                   static_cast<uint32_t>(len) / (MixerChannels * 2), false);
}

int16_t Clip16(int32_t v) {
    return static_cast<int16_t>(std::clamp(v, -32768, 32767));
}

bool AnythingActive(const AudioState& a) {
    for (const auto& b : a.buffers)
        if (b->playing) return true;
    for (const auto& s : a.streams)
        if (!s->paused && !s->queue.empty()) return true;
    return false;
}

// Adds one effect buffer's next frames into the accumulator.
uint32_t MixBuffer(AudioState& a, EffectBuffer& b, int32_t* acc, uint32_t frames) {
    uint64_t total = b.device.size() / MixerChannels;
    uint32_t i = 0;
    for (; i < frames && b.playing; ++i) {
        if (b.position >= total) {
            if (b.looping && total > 0) {
                b.position = 0;
            } else {
                b.playing = false;
                AudioNoteEvent(a, b.handle, SoundEventKind::Ended);
                break;
            }
        }
        acc[2 * i] += b.device[2 * b.position];
        acc[2 * i + 1] += b.device[2 * b.position + 1];
        ++b.position;
    }
    if (b.playing && !b.looping && b.position >= total) {
        b.playing = false;
        AudioNoteEvent(a, b.handle, SoundEventKind::Ended);
    }
    return i;
}

// Hands a played header back to its owner.
void FinishHeader(WaveStream& s) {
    WaveHeader* h = s.queue.front();
    s.queue.pop_front();
    s.offset = 0;
    h->flags.store((h->flags.load() | WHDR_DONE) & ~WHDR_INQUEUE);
    if (s.callback) s.callback(s.handle, WOM_DONE, s.instance, reinterpret_cast<uintptr_t>(h), 0);
}

// Adds one wave output's next frames into the accumulator, resampling by repetition.
uint32_t MixStream(AudioState& a, WaveStream& s, int32_t* acc, uint32_t frames, bool record) {
    const uint32_t frameBytes = s.format.channels * 2u;
    const uint32_t rate = s.format.samplesPerSec;
    uint32_t i = 0;
    while (i < frames && !s.paused) {
        while (!s.queue.empty() && s.offset + frameBytes > s.queue.front()->bufferLength)
            FinishHeader(s);
        if (s.queue.empty()) break;
        WaveHeader* h = s.queue.front();
        int16_t frame[2] = {0, 0};
        for (uint32_t c = 0; c < s.format.channels && c < 2; ++c) {
            const uint8_t* p = h->data + s.offset + 2 * c;
            frame[c] = static_cast<int16_t>(p[0] | (p[1] << 8));
        }
        if (s.format.channels == 1) frame[1] = frame[0];
        acc[2 * i] += frame[0];
        acc[2 * i + 1] += frame[1];
        ++i;
        s.phase += rate;
        while (s.phase >= MixerRate) {
            s.phase -= MixerRate;
            if (record && a.wavePlayed.size() < RecordLimitSamples) {
                const uint8_t* p = h->data + s.offset;
                for (uint32_t c = 0; c < s.format.channels; ++c)
                    a.wavePlayed.push_back(static_cast<int16_t>(p[2 * c] | (p[2 * c + 1] << 8)));
            }
            s.offset += frameBytes;
            if (s.offset + frameBytes > h->bufferLength) {
                FinishHeader(s);
                break;
            }
        }
    }
    return i;
}

// Moves one effect buffer on by `frames` without mixing it: where MixBuffer would leave it.
void AdvanceBuffer(AudioState& a, EffectBuffer& b, uint64_t frames) {
    uint64_t total = b.device.size() / MixerChannels;
    uint64_t end = b.position + frames;
    if (b.looping && total > 0) {
        b.position = end <= total ? end : (end - 1) % total + 1;
        return;
    }
    if (end < total) {
        b.position = end;
        return;
    }
    if (b.position < total) b.position = total;
    b.playing = false;
    AudioNoteEvent(a, b.handle, SoundEventKind::Ended);
}

// Plays the wave outputs on by `frames` without recording them, so their buffers still come back
// on time.
void AdvanceStreams(AudioState& a, uint64_t frames) {
    std::vector<int32_t> acc;
    while (frames > 0) {
        bool active = false;
        for (const auto& s : a.streams) active = active || (!s->paused && !s->queue.empty());
        if (!active) return;
        acc.resize(1024 * MixerChannels);
        uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(frames, 1024));
        std::fill(acc.begin(), acc.end(), 0);
        for (auto& s : a.streams)
            if (!s->paused) MixStream(a, *s, acc.data(), n, false);
        frames -= n;
    }
}

void PumpLoop() {
    AudioState& a = Audio();
    std::unique_lock<std::mutex> hold(a.lock);
    for (;;) {
        if (a.streams.empty()) {
            a.pumpWake.wait(hold);
            continue;
        }
        AudioCatchUpLocked(a, ClockPeek());
        hold.unlock();
        std::this_thread::sleep_for(std::chrono::microseconds(300));
        hold.lock();
    }
}
}  // namespace

void AudioNoteEvent(AudioState& a, SoundBufferHandle buffer, SoundEventKind kind) {
    if (a.events.size() < EventLimit) a.events.push_back({ClockPeek(), buffer, kind});
}

AudioState& Audio() {
    static AudioState* state = new AudioState();
    return *state;
}

bool AudioEnsureOutput(AudioState& a) {
    if (CurrentBackend() == Backend::Headless) return true;
    std::lock_guard<std::mutex> hold(gOpenLock);
    if (!a.sdlTried) {
        a.sdlTried = true;
        if (SdlEnsureSubsystem(SDL_INIT_AUDIO)) {
            SDL_AudioSpec want{}, have{};
            want.freq = static_cast<int>(MixerRate);
            want.format = AUDIO_S16SYS;
            want.channels = static_cast<Uint8>(MixerChannels);
            want.samples = 1024;
            want.callback = SdlAudioCallback;
            SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
            if (id != 0) {
                a.sdlDevice = id;
                SDL_PauseAudioDevice(id, 0);
            }
        }
    }
    return a.sdlDevice != 0;
}

uint32_t AudioMixLocked(AudioState& a, int16_t* out, uint32_t frames, bool record) {
    std::vector<int32_t> acc(static_cast<size_t>(frames) * MixerChannels, 0);
    uint32_t sounded = 0;
    for (auto& b : a.buffers)
        if (b->playing) sounded = std::max(sounded, MixBuffer(a, *b, acc.data(), frames));
    for (auto& s : a.streams)
        if (!s->paused) sounded = std::max(sounded, MixStream(a, *s, acc.data(), frames, record));
    for (size_t i = 0; i < acc.size(); ++i) out[i] = Clip16(acc[i]);
    return sounded;
}

void AudioCatchUpLocked(AudioState& a, uint32_t now) {
    if (!a.headlessStarted) {
        a.headlessStarted = true;
        a.lastMixTime = now;
        return;
    }
    int32_t elapsed = static_cast<int32_t>(now - a.lastMixTime);
    if (elapsed <= 0) {
        if (elapsed < 0) a.lastMixTime = now;  // the clock was set back: go on from there
        return;
    }
    a.lastMixTime = now;
    uint64_t thousandths =
        static_cast<uint64_t>(std::min<uint32_t>(elapsed, CatchUpLimitMs)) * MixerRate +
        a.frameRemainder;
    uint64_t frames = thousandths / 1000;
    a.frameRemainder = static_cast<uint32_t>(thousandths % 1000);
    if (a.keepTimeOnly) {
        for (auto& b : a.buffers)
            if (b->playing) AdvanceBuffer(a, *b, frames);
        AdvanceStreams(a, frames);
        return;
    }
    int16_t chunk[1024 * MixerChannels];
    while (frames > 0 && AnythingActive(a)) {
        uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(frames, 1024));
        uint32_t sounded = AudioMixLocked(a, chunk, n, true);
        if (a.mixed.size() + sounded * MixerChannels <= RecordLimitSamples)
            a.mixed.insert(a.mixed.end(), chunk, chunk + sounded * MixerChannels);
        frames -= n;
    }
}

void AudioWakePump(AudioState& a) {
    if (!a.pumpStarted) {
        a.pumpStarted = true;
        std::thread(PumpLoop).detach();
    }
    a.pumpWake.notify_all();
}

bool IsPlayableFormat(const WaveFormat& f) {
    uint16_t tag = f.formatTag;
    if (tag == WAVE_FORMAT_EXTENSIBLE) {
        if (f.extraSize < 22 || f.extra.size() < 22) return false;
        tag = static_cast<uint16_t>(f.extra[6] | (f.extra[7] << 8));
    }
    if (f.channels < 1 || f.channels > 8) return false;
    if (f.samplesPerSec < 100 || f.samplesPerSec > 384000) return false;
    if (tag == WAVE_FORMAT_PCM) {
        if (f.bitsPerSample != 8 && f.bitsPerSample != 16 && f.bitsPerSample != 24 &&
            f.bitsPerSample != 32)
            return false;
    } else if (tag == WAVE_FORMAT_IEEE_FLOAT) {
        if (f.bitsPerSample != 32) return false;
    } else {
        return false;
    }
    return f.blockAlign == f.channels * (f.bitsPerSample / 8);
}

bool ConvertToDeviceFormat(const WaveFormat& f, const uint8_t* bytes, size_t size,
                           std::vector<int16_t>& out) {
    out.clear();
    if (!IsPlayableFormat(f)) return false;
    bool isFloat = f.formatTag == WAVE_FORMAT_IEEE_FLOAT ||
                   (f.formatTag == WAVE_FORMAT_EXTENSIBLE && f.extra[6] == WAVE_FORMAT_IEEE_FLOAT);
    const size_t width = f.bitsPerSample / 8u;
    const size_t srcFrames = size / f.blockAlign;
    auto sampleAt = [&](size_t frame, unsigned channel) -> int32_t {
        const uint8_t* p = bytes + frame * f.blockAlign + channel * width;
        if (isFloat) {
            float v;
            std::memcpy(&v, p, 4);
            if (!(v == v)) return 0;
            return static_cast<int32_t>(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
        }
        switch (width) {
            case 1:
                return (static_cast<int32_t>(p[0]) - 128) * 256;
            case 2:
                return static_cast<int16_t>(p[0] | (p[1] << 8));
            case 3:
                return static_cast<int16_t>(p[1] | (p[2] << 8));
            default:
                return static_cast<int16_t>(p[2] | (p[3] << 8));
        }
    };
    const unsigned right = f.channels > 1 ? 1u : 0u;
    if (f.samplesPerSec == MixerRate) {
        out.resize(srcFrames * MixerChannels);
        for (size_t i = 0; i < srcFrames; ++i) {
            out[2 * i] = static_cast<int16_t>(sampleAt(i, 0));
            out[2 * i + 1] = static_cast<int16_t>(sampleAt(i, right));
        }
        return true;
    }
    // Linear interpolation between the source frames around each device frame.
    const uint64_t dstFrames =
        (static_cast<uint64_t>(srcFrames) * MixerRate + f.samplesPerSec - 1) / f.samplesPerSec;
    out.resize(dstFrames * MixerChannels);
    for (uint64_t j = 0; j < dstFrames; ++j) {
        uint64_t pos = j * f.samplesPerSec;  // in 1/MixerRate of a source frame
        size_t i0 = static_cast<size_t>(pos / MixerRate);
        size_t i1 = std::min(i0 + 1, srcFrames - 1);
        int64_t frac = static_cast<int64_t>(pos % MixerRate);
        for (unsigned c = 0; c < 2; ++c) {
            unsigned ch = c == 0 ? 0u : right;
            int64_t a = sampleAt(i0, ch), b = sampleAt(i1, ch);
            out[2 * j + c] = static_cast<int16_t>(a + (b - a) * frac / MixerRate);
        }
    }
    return true;
}
