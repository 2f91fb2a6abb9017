#include "game/outside.h"

namespace {
// Calls whose subsystems are not in the program yet: they draw, play and pay nothing.
void NoImageYet(int32_t, int32_t, int32_t, int32_t, int32_t) {}
void NoSpriteYet(const char*, int32_t, int32_t, int32_t, bool, float) {}
void NoSpritePartYet(const char*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void NoTextYet(const char*) {}
void NoSpriteLoadYet(const char*, int32_t) {}
void NoImageLoadYet(int32_t) {}
void NoEffectYet(uint8_t) {}
void NoSoundYet() {}
void NoPaymentYet(int16_t) {}
}  // namespace

GameOutside gGameOutside = DefaultGameOutside();

GameOutside DefaultGameOutside() {
    GameOutside o{};
    o.restoreImage = NoImageYet;
    o.drawSprite = NoSpriteYet;
    o.drawSpritePart = NoSpritePartYet;
    o.drawQuestionText = NoTextYet;
    o.loadSprite = NoSpriteLoadYet;
    o.loadResourceImage = NoImageLoadYet;
    o.playEffect = NoEffectYet;
    o.playEffectAndWait = NoEffectYet;
    o.stopAllEffects = NoSoundYet;
    o.stopMusic = NoSoundYet;
    o.payPrize = NoPaymentYet;
    return o;
}
