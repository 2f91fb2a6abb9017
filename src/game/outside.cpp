#include "game/outside.h"

#include "display/resource_images.h"

namespace {
// The records of the resource images the game loads, by id.
ResourceImage gGameImages[ResourceImageRowCount + 1];

bool IsFontImage(int32_t id) {
    return id == 6 || id == 7 || id == 10 || id == 11 || id == 12;
}

void LoadGameResourceImage(int32_t id) {
    if (id < 1 || id > ResourceImageRowCount) return;
    LoadResourceImage(gGameImages[id], id, static_cast<int16_t>(IsFontImage(id) ? 96 : 1));
}

void RestoreResourceImage(int32_t id, int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
    if (id < 1 || id > ResourceImageRowCount) return;
    ResourceImage& image = gGameImages[id];
    if (image.row < 0) LoadResourceImage(image, id, 1);
    FadeRect clip{x0, x1, y0, y1};
    DrawResourceFrame(image, 0, 0, 0, &clip, false);
}

// Calls whose subsystems are not in the program yet: they draw, play and pay nothing.
void NoSpriteYet(const char*, int32_t, int32_t, int32_t, bool, float) {}
void NoSpritePartYet(const char*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void NoTextYet(const char*) {}
void NoSpriteLoadYet(const char*, int32_t) {}
void NoEffectYet(uint8_t) {}
void NoSoundYet() {}
void NoPaymentYet(int16_t) {}
}  // namespace

GameOutside gGameOutside = DefaultGameOutside();

GameOutside DefaultGameOutside() {
    GameOutside o{};
    o.restoreImage = RestoreResourceImage;
    o.drawSprite = NoSpriteYet;
    o.drawSpritePart = NoSpritePartYet;
    o.drawQuestionText = NoTextYet;
    o.loadSprite = NoSpriteLoadYet;
    o.loadResourceImage = LoadGameResourceImage;
    o.playEffect = NoEffectYet;
    o.playEffectAndWait = NoEffectYet;
    o.stopAllEffects = NoSoundYet;
    o.stopMusic = NoSoundYet;
    o.payPrize = NoPaymentYet;
    return o;
}
