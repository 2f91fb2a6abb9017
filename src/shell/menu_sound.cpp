#include "shell/menu_sound.h"

#include "sound/effects.h"
#include "sound/music.h"

namespace {
// The menu names effects by their place in the effect list, as the sound effects do.
void PlayMenuEffect(int32_t id) {
    PlayEffect(static_cast<uint8_t>(id));
}
void LoopMenuEffect(int32_t id) {
    LoopEffect(static_cast<uint8_t>(id));
}
void StopMenuEffect(int32_t id) {
    StopEffect(static_cast<uint8_t>(id));
}
bool PlayMenuTune(int32_t fromMs, int32_t lengthMs) {
    return PlayMainTune(fromMs, lengthMs);
}
}  // namespace

MenuSounds gMenuSounds = DefaultMenuSounds();

MenuSounds DefaultMenuSounds() {
    MenuSounds sounds{};
    sounds.playMainTune = PlayMenuTune;
    sounds.stopMainTune = StopMainTune;
    sounds.pauseMainTune = PauseMainTune;
    sounds.resumeMainTune = ResumeMainTune;
    sounds.playEffect = PlayMenuEffect;
    sounds.loopEffect = LoopMenuEffect;
    sounds.stopEffect = StopMenuEffect;
    sounds.stopAllEffects = StopAllEffects;
    return sounds;
}
