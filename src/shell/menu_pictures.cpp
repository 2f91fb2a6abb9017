#include "shell/menu_pictures.h"

#include "display/resource_images.h"

namespace {
constexpr int32_t RulesImageId = 3;
constexpr int32_t MenuBackgroundId = 16;

ResourceImage gMenuBackgroundImage;
ResourceImage gRulesImage;

// The picture's record, filled from its file header the first time it is needed.
ResourceImage& Picture(MenuPicture picture) {
    ResourceImage& image = picture == MenuPicture::Rules ? gRulesImage : gMenuBackgroundImage;
    int32_t id = picture == MenuPicture::Rules ? RulesImageId : MenuBackgroundId;
    if (image.row < 0) RegisterResourceImage(image, id, 1);
    return image;
}
}  // namespace

void DrawMenuPicture(MenuPicture picture) {
    DrawResourceFrame(Picture(picture), 0, 0, 0, nullptr, false);
}

void RestoreMenuPicture(MenuPicture picture, const MenuArea& area) {
    FadeRect clip;
    clip.x0 = area.left;
    clip.x1 = area.right;
    clip.y0 = area.top;
    clip.y1 = area.bottom;
    DrawResourceFrame(Picture(picture), 0, 0, 0, &clip, false);
}

// The display has no sprites yet: button frames and sheets draw nothing until it does.
void DrawMenuSpriteFrame(const char*, int32_t, int32_t, int32_t) {}
void DrawMenuSpriteSheet(const char*, int32_t, int32_t) {}
