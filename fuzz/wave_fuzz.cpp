// A WAV file loaded into an effect's sound buffer as the effects object does on first use, then
// played for a few milliseconds of the headless sink's mixing.
#include <mutex>

#include "fuzz_support.h"
#include "platform/audio_mixer.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/sound_device.h"
#include "sound/effects.h"
#include "sound/sound_fx.h"

FUZZ_TARGET(Wave) {
    EnterFuzzFolder();
    static bool soundUp = InitSound();
    if (!soundUp) return 0;
    FuzzInput in(data, size);
    const int slot = in.Byte() % EffectCount;
    const bool looped = in.Byte() & 1;
    const uint32_t position = in.U32();
    const std::string_view file = in.Rest();
    WriteFuzzFile("sounds\\fuzz.wav", file.data(), file.size());

    SoundFx* effects = CurrentSoundFx();
    effects->LoadWave("sounds\\fuzz.wav", slot);
    if (SoundBufferHandle buffer = effects->Buffer(slot)) {
        SoundBufferPlay(buffer, looped ? DSBPLAY_LOOPING : 0);
        ClockAdvance(5);
        HeadlessSoundCatchUp();
        SoundBufferSetCurrentPosition(buffer, position);
        ClockAdvance(5);
        HeadlessSoundCatchUp();
        SoundBufferStop(buffer);
    }
    // The device keeps every buffer it made until exit; the harness lets them go between runs.
    AudioState& audio = Audio();
    std::lock_guard<std::mutex> hold(audio.lock);
    audio.buffers.clear();
    audio.mixed.clear();
    audio.events.clear();
    return 0;
}
