// The sounds of the menu and rules screens: the main tune and the click and rules effects.
#pragma once
#include <cstdint>

#include "sound/effect_ids.h"

constexpr int32_t ClickEffect = EffectButton;
constexpr int32_t RulesEffect = EffectMumbling;

struct MenuSounds {
    bool (*playMainTune)(int32_t fromMs, int32_t lengthMs);  // a running loop is left as it is
    bool (*stopMainTune)();
    bool (*pauseMainTune)();
    bool (*resumeMainTune)();
    void (*playEffect)(int32_t id);
    void (*loopEffect)(int32_t id);
    void (*stopEffect)(int32_t id);
    void (*stopAllEffects)();
};
extern MenuSounds gMenuSounds;
// The table as the real program has it.
MenuSounds DefaultMenuSounds();
