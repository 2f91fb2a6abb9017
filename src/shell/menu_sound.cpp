#include "shell/menu_sound.h"

namespace {
// Stand-ins while the program has no sound: every call is silent.
bool SilentTune(int32_t, int32_t) {
    return false;
}
bool SilentTuneStep() {
    return false;
}
void SilentEffect(int32_t) {}
void SilentEffects() {}
}  // namespace

MenuSounds gMenuSounds = DefaultMenuSounds();

MenuSounds DefaultMenuSounds() {
    MenuSounds sounds{};
    sounds.playMainTune = SilentTune;
    sounds.stopMainTune = SilentTuneStep;
    sounds.pauseMainTune = SilentTuneStep;
    sounds.resumeMainTune = SilentTuneStep;
    sounds.playEffect = SilentEffect;
    sounds.loopEffect = SilentEffect;
    sounds.stopEffect = SilentEffect;
    sounds.stopAllEffects = SilentEffects;
    return sounds;
}
