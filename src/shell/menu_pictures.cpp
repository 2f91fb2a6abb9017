#include "shell/menu_pictures.h"

#include "display/resource_images.h"
#include "display/sprites.h"
#include "game/outside.h"

namespace {

ResourceImage gMenuBackgroundImage;
ResourceImage gRulesImage;

// The picture's record, filled from its file header the first time it is needed.
ResourceImage& Picture(MenuPicture picture) {
    ResourceImage& image = picture == MenuPicture::Rules ? gRulesImage : gMenuBackgroundImage;
    int32_t id = picture == MenuPicture::Rules ? RulesImage : MenuBackgroundImage;
    if (image.row < 0) RegisterResourceImage(image, id, 1);
    return image;
}
}  // namespace

void DrawMenuPicture(MenuPicture picture) {
    DrawResourceFrame(Picture(picture), 0, 0, 0, nullptr, false);
}

void RestoreMenuPicture(MenuPicture picture, const FadeRect& area) {
    DrawResourceFrame(Picture(picture), 0, 0, 0, &area, false);
}

void DrawMenuSpriteFrame(const char* sprite, int32_t frame, int32_t x, int32_t y) {
    DisplaySurface* source = LoadedSprite(sprite);
    if (!source) return;
    const RECT* rect = GetFrameRect(sprite, frame);
    if (!rect) return;
    DrawSprite(source, rect, DisplayBackBuffer(), x, y);
}

void DrawMenuSpriteSheet(const char* sprite, int32_t x, int32_t y) {
    DisplaySurface* source = LoadedSprite(sprite);
    if (!source) return;
    DrawSprite(source, nullptr, DisplayBackBuffer(), x, y, 1.0f, 1.0f, 0.0f, true, 1.0f);
}
