// The image manager: sprite surfaces, sprite loading and the sprite records.
#include <cstring>
#include <string>

#include "display/sprites.h"
#include "display/tga.h"
#include "platform/bmp_image.h"
#include "platform/files.h"

ImageManagerState ImageManager;

namespace {
constexpr uint32_t kSpriteKey = 0x00FF00FF;

// Decodes a TGA sprite into a new sprite surface.
DisplaySurfacePtr LoadTgaSprite(const char* path) {
    std::vector<uint8_t> file;
    if (!ReadWholeFile(path, file)) return nullptr;
    TgaImage image;
    std::string error;
    if (!DecodeTga(file.data(), file.size(), image, error)) return nullptr;
    file = {};
    DisplaySurfacePtr surface = CreateSpriteSurface(image.width, image.height);
    if (!surface) return nullptr;
    DDSURFACEDESC desc;
    if (surface->Lock(nullptr, desc, DDLOCK_WAIT) != DD_OK) return nullptr;
    CopyTgaRowsBottomUp(image, desc.surface, desc.pitch);
    surface->Unlock();
    return surface;
}

// Decodes any other sprite file (a 24-bit BMP) and paints it opaque into a new sprite surface.
DisplaySurfacePtr LoadPictureSprite(const char* path) {
    BmpImage picture;
    if (!picture.Load(path)) return nullptr;
    DisplaySurfacePtr surface = CreateSpriteSurface(picture.GetWidth(), picture.GetHeight());
    if (!surface) return nullptr;
    DDSURFACEDESC desc;
    if (surface->Lock(nullptr, desc, DDLOCK_WAIT) != DD_OK) return nullptr;
    picture.Draw(PixelView{desc.surface, desc.pitch, desc.width, desc.height, 4}, 0, 0);
    surface->Unlock();
    return surface;
}
}  // namespace

void InitImageManager(DisplayDevice* device, DisplaySurface* target) {
    ImageManager.device = device;
    ImageManager.targetWidth = ImageManager.targetHeight = ImageManager.targetDepth = 0;
    ImageManager.spriteKeyLow = ImageManager.spriteKeyHigh = 0;
    DDSURFACEDESC desc;
    if (target && target->GetSurfaceDesc(desc) == DD_OK) {
        ImageManager.targetWidth = desc.width;
        ImageManager.targetHeight = desc.height;
        ImageManager.targetDepth = static_cast<int32_t>(desc.pixelFormat.rgbBitCount);
    }
    ImageManager.spriteKeyLow = ImageManager.spriteKeyHigh = kSpriteKey;
}

void ShutdownImageManager() {
    ImageManager.records.clear();
    ImageManager.device = nullptr;
}

DisplaySurfacePtr CreateSpriteSurface(int32_t width, int32_t height) {
    if (!ImageManager.device) return nullptr;
    DDSURFACEDESC desc;
    desc.flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    desc.width = width;
    desc.height = height;
    desc.caps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_OFFSCREENPLAIN;
    desc.pixelFormat.flags = DDPF_RGB;
    desc.pixelFormat.rgbBitCount = 32;
    desc.pixelFormat.redMask = 0x00FF0000;
    desc.pixelFormat.greenMask = 0x0000FF00;
    desc.pixelFormat.blueMask = 0x000000FF;
    DisplaySurfacePtr surface;
    if (ImageManager.device->CreateSurface(desc, surface) != DD_OK || !surface) return nullptr;
    DDCOLORKEY key{ImageManager.spriteKeyLow, ImageManager.spriteKeyHigh};
    surface->SetColorKey(DDCKEY_SRCBLT, key);
    surface->SetColorKey(DDCKEY_DESTBLT, key);
    return surface;
}

DisplaySurfacePtr LoadSprite(const char* path, int32_t frames) {
    if (!path) return nullptr;
    bool tga = std::strstr(path, ".tga") || std::strstr(path, ".TGA");
    DisplaySurfacePtr surface = tga ? LoadTgaSprite(path) : LoadPictureSprite(path);
    if (!surface) return nullptr;
    ImageManager.records.push_back(SpriteRecord{path, surface->Width(), surface->Height(), frames});
    return surface;
}
