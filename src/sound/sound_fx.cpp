#include "sound/sound_fx.h"

#include <cstdio>
#include <new>

#include "platform/clock.h"
#include "platform/debug.h"

namespace {
const char* const EffectPaths[EffectCount] = {
    "sounds\\teletype.wav",
    "sounds\\InCorrect.wav",
    "sounds\\Button.wav",
    "sounds\\AnimationSpin.wav",
    "sounds\\Timer.wav",
    "sounds\\TimerUp.wav",
    "sounds\\AddPoints.wav",
    "sounds\\Mumbling.wav",
    "sounds\\Correct.wav",
    "sounds\\SmallPoints.wav",
    "sounds\\BigPoints.wav",
    "sounds\\CashWinplan.wav",
    "sounds\\DoubleOrQuits.wav",
    "sounds\\ExtraReveal.wav",
    "sounds\\TrueOrFalse.wav",
    "sounds\\LosePoints.wav",
    "sounds\\Bell.wav",
    "sounds\\YourOut.wav",
    "sounds\\Whistle.wav",
    "sounds\\LeftUn.wav",
    "sounds\\RightUn.wav",
    "sounds\\Bloop.wav",
    "sounds\\GridStop.wav",
    "sounds\\QuestionPop.wav",
    "sounds\\glass.wav",
    "sounds\\GlassDown.wav",
    "sounds\\burp.wav",
    "sounds\\ah.wav",
    "sounds\\smacky.wav",
    "sounds\\Gulp.wav",
    "sounds\\hohohoho.wav",
    "sounds\\shhhh.wav",
    "sounds\\GameOver.wav",
    "sounds\\Pour.wav",
    "sounds\\Up.wav",
    "sounds\\Down.wav",
    "sounds\\TryAgain.wav",
    "sounds\\TeamGone1.wav",
    "sounds\\TeamGone2.wav",
    "sounds\\Joker.wav",
    "sounds\\Skip.wav",
    "sounds\\BigTeamsUp.wav",
    "sounds\\TimeOut.wav",
    "sounds\\AnswerBuildUp.wav",
};

uint16_t gObjectsMade = 0;
uint8_t gLoaded[EffectCount] = {};
SoundFx* gSoundFx = nullptr;

// The effect's buffer, or 0 when the id is out of range, the effects object is missing or the
// effect could not be loaded.
SoundBufferHandle LoadedBuffer(uint8_t id) {
    if (!gSoundFx || id < 1 || id > EffectCount) return 0;
    gSoundFx->EnsureEffectLoaded(id);
    return gSoundFx->Buffer(id - 1);
}

void StartEffect(uint8_t id, uint32_t flags) {
    SoundBufferHandle b = LoadedBuffer(id);
    if (!b) return;
    SoundBufferSetCurrentPosition(b, 0);
    SoundBufferPlay(b, flags);
}
}  // namespace

const char* EffectPath(uint8_t id) {
    return id >= 1 && id <= EffectCount ? EffectPaths[id - 1] : nullptr;
}

bool ShowSoundError(int code) {
    char title[512];
    if (code == 1) {
        std::snprintf(title, sizeof title, "Couldn't init DirectSound");
    } else if (code == 2) {
        std::snprintf(title, sizeof title, "Couldn't init DirectSound Cooperative level!");
    } else if (code >= 4 && code - 4 < EffectCount) {
        std::snprintf(title, sizeof title, "Couldn't open WAV file %s!", EffectPaths[code - 4]);
    } else {
        std::snprintf(title, sizeof title, "Sound failure %d", code);
    }
    ShowFailureMessage("Game Failed.", title);
    return false;
}

SoundFx::SoundFx() {
    for (uint8_t& flag : gLoaded) flag = 0;
    if (gObjectsMade++ != 0) return;
    if (SoundDeviceCreate() != DS_OK) {
        ShowSoundError(1);
        return;
    }
    if (SoundDeviceSetCooperativeLevel(DSSCL_NORMAL) != DS_OK) ShowSoundError(2);
}

void SoundFx::EnsureEffectLoaded(uint8_t id) {
    int slot = id - 1;
    if (slot < 0 || slot >= EffectCount || gLoaded[slot] != 0) return;
    LoadWave(EffectPaths[slot], slot);
    gLoaded[slot] = 1;
}

bool SoundFx::IsEffectPlaying(uint8_t id) {
    if (id < 1 || id > EffectCount || !buffers_[id - 1]) return false;
    uint32_t status = 0;
    if (SoundBufferGetStatus(buffers_[id - 1], &status) != DS_OK) return false;
    return (status & DSBSTATUS_PLAYING) != 0;
}

bool InitSound() {
    SoundFx* fx = new (std::nothrow) SoundFx();
    if (!fx) return false;
    delete gSoundFx;
    gSoundFx = fx;
    return true;
}

SoundFx* CurrentSoundFx() {
    return gSoundFx;
}

bool EffectLoadAttempted(int slot) {
    return slot >= 0 && slot < EffectCount && gLoaded[slot] != 0;
}

void PlayEffect(uint8_t id) {
    StartEffect(id, 0);
}

void LoopEffect(uint8_t id) {
    StartEffect(id, DSBPLAY_LOOPING);
}

void PlayEffectAndWait(uint8_t id) {
    PlayEffect(id);
    // The screen stands still meanwhile; each pass gives the processor away for a moment.
    while (IsEffectPlaying(id)) ClockIdle();
}

void StopEffect(uint8_t id) {
    if (!gSoundFx || id < 1 || id > EffectCount) return;
    if (SoundBufferHandle b = gSoundFx->Buffer(id - 1)) SoundBufferStop(b);
}

void StopAllEffects() {
    if (!gSoundFx) return;
    for (int slot = 0; slot < EffectCount; ++slot) {
        if (gLoaded[slot] != 1) continue;
        if (SoundBufferHandle b = gSoundFx->Buffer(slot)) SoundBufferStop(b);
    }
}

bool IsEffectPlaying(uint8_t id) {
    return gSoundFx && gSoundFx->IsEffectPlaying(id);
}
