#include "platform/sound_device.h"

#include <new>

#include "platform/audio_mixer.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"

namespace {
SoundDeviceFault gFault = SoundDeviceFault::None;
bool gDeviceMade = false;

EffectBuffer* Find(AudioState& a, SoundBufferHandle handle) {
    for (auto& b : a.buffers)
        if (b->handle == handle) return b.get();
    return nullptr;
}

// Headless: everything due before this call has been mixed, so a new play starts now. The call
// looks at the clock as a busy wait would, so a stepping clock moves on.
void CatchUp(AudioState& a) {
    if (CurrentBackend() != Backend::Headless) return;
    timeGetTime();
    AudioCatchUpLocked(a, ClockPeek());
}
}  // namespace

SoundResult SoundDeviceCreate() {
    if (gFault == SoundDeviceFault::Create) {
        gFault = SoundDeviceFault::None;
        return DSERR_NODRIVER;
    }
    if (!AudioEnsureOutput(Audio())) return DSERR_NODRIVER;
    gDeviceMade = true;
    return DS_OK;
}

SoundResult SoundDeviceSetCooperativeLevel(uint32_t level) {
    if (gFault == SoundDeviceFault::CooperativeLevel) {
        gFault = SoundDeviceFault::None;
        return DSERR_GENERIC;
    }
    if (!gDeviceMade) return DSERR_UNINITIALIZED;
    return level >= 1 && level <= 3 ? DS_OK : DSERR_INVALIDPARAM;
}

SoundResult SoundDeviceCreateBuffer(const SoundBufferDesc& desc, SoundBufferHandle* buffer) {
    if (!buffer) return DSERR_INVALIDPARAM;
    *buffer = 0;
    if (!gDeviceMade) return DSERR_UNINITIALIZED;
    if (desc.size != 36 || !desc.format) return DSERR_INVALIDPARAM;
    if (desc.bufferBytes < DSBSIZE_MIN || desc.bufferBytes > DSBSIZE_MAX) return DSERR_INVALIDPARAM;
    if (!IsPlayableFormat(*desc.format)) return DSERR_BADFORMAT;
    auto b = std::unique_ptr<EffectBuffer>(new (std::nothrow) EffectBuffer());
    if (!b) return DSERR_OUTOFMEMORY;
    b->format = *desc.format;
    try {
        b->raw.assign(desc.bufferBytes, 0);
    } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
    }
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    b->handle = a.nextHandle++;
    *buffer = b->handle;
    a.buffers.push_back(std::move(b));
    return DS_OK;
}

SoundResult SoundBufferLock(SoundBufferHandle buffer, uint32_t offset, uint32_t bytes,
                            void** region1, uint32_t* size1, void** region2, uint32_t* size2) {
    if (!region1 || !size1) return DSERR_INVALIDPARAM;
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    EffectBuffer* b = Find(a, buffer);
    if (!b || offset >= b->raw.size()) return DSERR_INVALIDPARAM;
    *region1 = b->raw.data() + offset;
    *size1 = static_cast<uint32_t>(std::min<size_t>(bytes, b->raw.size() - offset));
    if (region2) *region2 = nullptr;
    if (size2) *size2 = 0;
    return DS_OK;
}

SoundResult SoundBufferUnlock(SoundBufferHandle buffer, void*, uint32_t, void*, uint32_t) {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    EffectBuffer* b = Find(a, buffer);
    if (!b) return DSERR_INVALIDPARAM;
    try {
        ConvertToDeviceFormat(b->format, b->raw.data(), b->raw.size(), b->device);
    } catch (const std::bad_alloc&) {
        b->device.clear();
        return DSERR_OUTOFMEMORY;
    }
    uint64_t total = b->device.size() / MixerChannels;
    if (b->position > total) b->position = total;
    return DS_OK;
}

SoundResult SoundBufferPlay(SoundBufferHandle buffer, uint32_t flags) {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    CatchUp(a);
    EffectBuffer* b = Find(a, buffer);
    if (!b) return DSERR_INVALIDPARAM;
    b->looping = (flags & DSBPLAY_LOOPING) != 0;
    b->playing = true;
    AudioNoteEvent(a, buffer, b->looping ? SoundEventKind::Looped : SoundEventKind::Started);
    return DS_OK;
}

SoundResult SoundBufferStop(SoundBufferHandle buffer) {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    CatchUp(a);
    EffectBuffer* b = Find(a, buffer);
    if (!b) return DSERR_INVALIDPARAM;
    b->playing = false;
    AudioNoteEvent(a, buffer, SoundEventKind::Stopped);
    return DS_OK;
}

SoundResult SoundBufferGetStatus(SoundBufferHandle buffer, uint32_t* status) {
    if (!status) return DSERR_INVALIDPARAM;
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    CatchUp(a);
    EffectBuffer* b = Find(a, buffer);
    if (!b) return DSERR_INVALIDPARAM;
    *status =
        (b->playing ? DSBSTATUS_PLAYING : 0u) | (b->playing && b->looping ? DSBSTATUS_LOOPING : 0u);
    return DS_OK;
}

SoundResult SoundBufferSetCurrentPosition(SoundBufferHandle buffer, uint32_t offset) {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    CatchUp(a);
    EffectBuffer* b = Find(a, buffer);
    if (!b || offset > b->raw.size()) return DSERR_INVALIDPARAM;
    uint64_t frame = offset / b->format.blockAlign;
    b->position = std::min<uint64_t>(frame * MixerRate / b->format.samplesPerSec,
                                     b->device.size() / MixerChannels);
    AudioNoteEvent(a, buffer, SoundEventKind::Positioned);
    return DS_OK;
}

void InjectSoundDeviceFault(SoundDeviceFault fault) {
    gFault = fault;
}
