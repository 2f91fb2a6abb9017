#include "platform/wave_out.h"

#include <new>

#include "platform/audio_mixer.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"

namespace {
MMRESULT gFault = MMSYSERR_NOERROR;

WaveStream* Find(AudioState& a, WaveOutHandle handle) {
    for (auto& s : a.streams)
        if (s->handle == handle) return s.get();
    return nullptr;
}

bool Headless() {
    return CurrentBackend() == Backend::Headless;
}
}  // namespace

MMRESULT WaveOutOpen(WaveOutHandle* output, uint32_t device, const WaveFormat& format,
                     WaveOutProc callback, uintptr_t instance, uint32_t flags) {
    if (!output) return MMSYSERR_INVALPARAM;
    *output = 0;
    if (gFault != MMSYSERR_NOERROR) {
        MMRESULT r = gFault;
        gFault = MMSYSERR_NOERROR;
        return r;
    }
    if (device != WAVE_MAPPER && device != 0) return MMSYSERR_BADDEVICEID;
    if (format.formatTag != WAVE_FORMAT_PCM || format.bitsPerSample != 16 || format.channels < 1 ||
        format.channels > 2 || format.samplesPerSec < 1000 || format.samplesPerSec > 192000 ||
        format.blockAlign != format.channels * 2)
        return WAVERR_BADFORMAT;
    AudioState& a = Audio();
    if (!AudioEnsureOutput(a)) return MMSYSERR_NODRIVER;
    auto s = std::unique_ptr<WaveStream>(new (std::nothrow) WaveStream());
    if (!s) return MMSYSERR_NOMEM;
    s->format = format;
    s->callback = (flags & CALLBACK_FUNCTION) ? callback : nullptr;
    s->instance = instance;
    std::lock_guard<std::mutex> hold(a.lock);
    s->handle = a.nextHandle++;
    *output = s->handle;
    if (Headless()) {
        AudioCatchUpLocked(a, ClockPeek());
        a.waveRate = format.samplesPerSec;
        a.waveChannels = format.channels;
        ++a.waveOpens;
    }
    WaveStream* raw = s.get();
    a.streams.push_back(std::move(s));
    if (raw->callback) raw->callback(raw->handle, WOM_OPEN, raw->instance, 0, 0);
    if (Headless()) AudioWakePump(a);
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOutPrepareHeader(WaveOutHandle output, WaveHeader* header) {
    if (!header || !header->data) return MMSYSERR_INVALPARAM;
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    if (!Find(a, output)) return MMSYSERR_INVALHANDLE;
    header->flags.fetch_or(WHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOutUnprepareHeader(WaveOutHandle output, WaveHeader* header) {
    if (!header) return MMSYSERR_INVALPARAM;
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    if (!Find(a, output)) return MMSYSERR_INVALHANDLE;
    if (header->flags.load() & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->flags.fetch_and(~WHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOutWrite(WaveOutHandle output, WaveHeader* header) {
    if (!header) return MMSYSERR_INVALPARAM;
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    WaveStream* s = Find(a, output);
    if (!s) return MMSYSERR_INVALHANDLE;
    uint32_t flags = header->flags.load();
    if (!(flags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
    if (flags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    if (Headless() && s->queue.empty()) AudioCatchUpLocked(a, ClockPeek());
    header->flags.store((flags & ~WHDR_DONE) | WHDR_INQUEUE);
    s->queue.push_back(header);
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOutPause(WaveOutHandle output) {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    WaveStream* s = Find(a, output);
    if (!s) return MMSYSERR_INVALHANDLE;
    if (Headless()) AudioCatchUpLocked(a, ClockPeek());
    s->paused = true;
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOutRestart(WaveOutHandle output) {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    WaveStream* s = Find(a, output);
    if (!s) return MMSYSERR_INVALHANDLE;
    if (Headless()) AudioCatchUpLocked(a, ClockPeek());
    s->paused = false;
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOutReset(WaveOutHandle output) {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    WaveStream* s = Find(a, output);
    if (!s) return MMSYSERR_INVALHANDLE;
    while (!s->queue.empty()) {
        WaveHeader* h = s->queue.front();
        s->queue.pop_front();
        h->flags.store((h->flags.load() | WHDR_DONE) & ~WHDR_INQUEUE);
        if (s->callback)
            s->callback(s->handle, WOM_DONE, s->instance, reinterpret_cast<uintptr_t>(h), 0);
    }
    s->offset = 0;
    s->phase = 0;
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOutClose(WaveOutHandle output) {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    for (auto it = a.streams.begin(); it != a.streams.end(); ++it) {
        if ((*it)->handle != output) continue;
        if (!(*it)->queue.empty()) return WAVERR_STILLPLAYING;
        WaveStream& s = **it;
        if (s.callback) s.callback(s.handle, WOM_CLOSE, s.instance, 0, 0);
        if (Headless()) ++a.waveCloses;
        a.streams.erase(it);
        return MMSYSERR_NOERROR;
    }
    return MMSYSERR_INVALHANDLE;
}

void InjectWaveOutFault(MMRESULT result) {
    gFault = result;
}
