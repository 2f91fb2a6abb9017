#include "platform/audio_mixer.h"

#include <algorithm>
#include <cstring>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"

namespace {
// A limit that keeps a long headless run from holding an unbounded record of events.
constexpr size_t EventLimit = 100000;

int16_t Clip16(int32_t v) {
    return static_cast<int16_t>(std::clamp(v, -32768, 32767));
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

}  // namespace

void AudioAdvanceStreamsLocked(AudioState& a, uint64_t frames) {
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

void AudioNoteEvent(AudioState& a, SoundBufferHandle buffer, SoundEventKind kind) {
    if (a.events.size() < EventLimit) a.events.push_back({ClockPeek(), buffer, kind});
}

bool AudioEnsureOutput(AudioState& a) {
    return CurrentBackend() == Backend::Headless || SdlAudioEnsureDevice(a);
}

AudioState& Audio() {
    static AudioState* state = new AudioState();
    return *state;
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
