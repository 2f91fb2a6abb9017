#include "game/outside.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "credit/link.h"
#include "display/fonts.h"
#include "display/resource_images.h"
#include "display/sprites.h"
#include "sound/effects.h"
#include "sound/music.h"

namespace {
// The records of the resource images the game loads, by id.
ResourceImage gGameImages[ResourceImageRowCount + 1];

bool IsFontImage(int32_t id) {
    return id == Font1Image || id == Font2Image || id == PointsBoxFontImage ||
           id == WinPlanFontImage || id == AmountFontImage;
}

void LoadGameResourceImage(int32_t id) {
    if (id < 1 || id > ResourceImageRowCount) return;
    if (IsFontImage(id))
        LoadResourceImage(FontImage(id), id, FontGlyphFrames);
    else
        LoadResourceImage(gGameImages[id], id, 1);
}

// The question text: font 7 in the box at (155, 466), 315 x 110, lines and block centred.
void DrawQuestionText(const char* text) {
    CentreLines = true;
    CentreBlock = true;
    DrawFontText(text, 155, 466, 315, 110, 7);
}

void RestoreResourceImage(int32_t id, const FadeRect& area) {
    if (id < 1 || id > ResourceImageRowCount) return;
    ResourceImage& image = gGameImages[id];
    if (image.row < 0) LoadResourceImage(image, id, 1);
    DrawResourceFrame(image, 0, 0, 0, &area, false);
}

// The sprites the game loaded, by the path they were loaded with; they live until exit.
std::vector<std::pair<const char*, DisplaySurfacePtr>> gGameSprites;

void LoadGameSprite(const char* path, int32_t frames) {
    DisplaySurfacePtr surface = LoadSprite(path, frames);
    if (surface) gGameSprites.emplace_back(path, std::move(surface));
}

void DrawGameSprite(const char* path, int32_t frame, int32_t x, int32_t y, bool alpha,
                    float opacity) {
    DisplaySurface* surface = LoadedSprite(path);
    if (!surface) return;
    DrawSprite(surface, GetFrameRect(path, frame), DisplayBackBuffer(), x, y, 1.0f, 1.0f, 0.0f,
               alpha, opacity);
}

void DrawGameSpritePart(const char* path, const RECT& part, int32_t x, int32_t y) {
    DisplaySurface* surface = LoadedSprite(path);
    if (!surface) return;
    DrawSprite(surface, &part, DisplayBackBuffer(), x, y);
}

// The win screen stops the music.
void StopMusic() {
    StopMainTune();
}
}  // namespace

GameOutside gGameOutside = DefaultGameOutside();

DisplaySurface* LoadedSprite(const char* path) {
    for (auto& [name, surface] : gGameSprites)
        if (name == path) return surface.get();
    for (auto& [name, surface] : gGameSprites)
        if (std::strcmp(name, path) == 0) return surface.get();
    return nullptr;
}

void ForgetGameSprites() {
    gGameSprites.clear();
}

GameOutside DefaultGameOutside() {
    GameOutside o{};
    o.restoreImage = RestoreResourceImage;
    o.drawSprite = DrawGameSprite;
    o.drawSpritePart = DrawGameSpritePart;
    o.drawQuestionText = DrawQuestionText;
    o.loadSprite = LoadGameSprite;
    o.loadResourceImage = LoadGameResourceImage;
    o.playEffect = PlayEffect;
    o.playEffectAndWait = PlayEffectAndWait;
    o.stopAllEffects = StopAllEffects;
    o.stopMusic = StopMusic;
    o.payPrize = PayPrize;
    return o;
}
