// The headless sound sink: what the mixer would play is mixed as the clock moves (by every call
// that looks at it, and by a pump thread while wave outputs play) and recorded for tests.
#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/audio_mixer.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"

namespace {
// A catch-up never mixes more than this at once; a clock that jumps further (a test choosing a new
// start) only loses time.
constexpr uint32_t CatchUpLimitMs = 10000;

bool AnythingActive(const AudioState& a) {
    for (const auto& b : a.buffers)
        if (b->playing) return true;
    for (const auto& s : a.streams)
        if (!s->paused && !s->queue.empty()) return true;
    return false;
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
        AudioAdvanceStreamsLocked(a, frames);
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

std::vector<SoundEvent> HeadlessSoundEvents() {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    return a.events;
}

std::vector<int16_t> HeadlessMixedSamples() {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    return a.mixed;
}

void HeadlessClearSoundRecord() {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    a.events.clear();
    a.mixed.clear();
}

void HeadlessSoundCatchUp() {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    if (CurrentBackend() == Backend::Headless) AudioCatchUpLocked(a, ClockPeek());
}

void HeadlessSoundKeepTimeOnly(bool on) {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    if (CurrentBackend() == Backend::Headless) AudioCatchUpLocked(a, ClockPeek());
    a.keepTimeOnly = on;
}

HeadlessWaveRecord HeadlessWaveOutRecord() {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    HeadlessWaveRecord r;
    r.rate = a.waveRate;
    r.channels = a.waveChannels;
    r.samples = a.wavePlayed;
    r.opens = a.waveOpens;
    r.closes = a.waveCloses;
    return r;
}

size_t HeadlessWaveOutSampleCount() {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    return a.wavePlayed.size();
}

void HeadlessClearWaveOutRecord() {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    a.wavePlayed.clear();
    a.waveOpens = a.waveCloses = 0;
}
