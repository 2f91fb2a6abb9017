// Sprites: pictures named by their file path, held as 32-bit surfaces (blue, green, red and an
// alpha byte), loaded once by the image manager and drawn as frames of a vertical strip onto the
// back buffer with the magenta key or with their own alpha, at an opacity.
//
// Typical use:
//   gButton = LoadSprite(TrueButtonSprite, 2);                               // while loading
//   DrawSprite(gButton.get(), GetFrameRect(TrueButtonSprite, 1),
//              DisplayBackBuffer(), 400, 300);                               // plain, keyed
//   DrawSprite(gBadges.get(), GetFrameRect(kBadges, team), DisplayBackBuffer(), x, y,
//              1, 1, 0, true, 0.3f);                                          // alpha, dimmed
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "display/display.h"

// One loaded sprite: the path it was loaded by and the size of its strip.
struct SpriteRecord {
    std::string name;
    int32_t width = 0;
    int32_t height = 0;  // all frames
    int32_t frameCount = 0;
};

// The image manager: one per program, bound to the display by InitDisplay.
struct ImageManagerState {
    DisplayDevice* device = nullptr;
    int32_t targetWidth = 0;
    int32_t targetHeight = 0;
    int32_t targetDepth = 0;
    uint32_t spriteKeyLow = 0;
    uint32_t spriteKeyHigh = 0;
    RECT frameRect;                     // the slot GetFrameRect fills
    std::vector<SpriteRecord> records;  // in load order
};
extern ImageManagerState ImageManager;

// Binds the manager to the device and the surface sprites are drawn on (the back buffer).
void InitImageManager(DisplayDevice* device, DisplaySurface* target);
// Forgets every sprite record. Sprite surfaces stay with their owners.
void ShutdownImageManager();

// A 32-bit system-memory surface keyed on magenta (0x00FF00FF), or null.
DisplaySurfacePtr CreateSpriteSurface(int32_t width, int32_t height);
// Loads a sprite file of `frames` frames stacked vertically: a path containing ".tga" or ".TGA"
// is read as a 32-bit TGA with its own alpha, anything else as a 24-bit BMP (opaque). Null, and
// no record, when the file cannot be loaded.
DisplaySurfacePtr LoadSprite(const char* path, int32_t frames = 1);

// The rectangle of frame `frame` of the first loaded sprite whose path is a prefix of `path`
// (letters compared without regard to case) and that has that many frames; null when there is
// none. The rectangle lives in the manager's slot until the next call.
const RECT* GetFrameRect(const char* path, int32_t frame);

// Draws `rect` of `source` (null: the whole strip) at (x, y) on `destination`. Scale stretches
// the picture; angle rotates it in degrees about (cx, cy) from its top left (-1, or a point
// outside it: the middle); alpha uses the sprite's fourth byte as alpha, else magenta pixels are
// not drawn; opacity scales the alpha (0 draws a plain keyed copy); gamma 0 is none. Clipped to
// the destination. False when nothing could be drawn (null surfaces, a failed lock, a rectangle
// outside the sprite).
bool DrawSprite(DisplaySurface* source, const RECT* rect, DisplaySurface* destination, int32_t x,
                int32_t y, float scaleX = 1.0f, float scaleY = 1.0f, float angle = 0.0f,
                bool alpha = false, float opacity = 1.0f, float gamma = 0.0f, int32_t cx = -1,
                int32_t cy = -1);
