// The display: the 800x600 screen in 32, 24 or 16 bits, its back buffer (target of all drawing),
// three screen-sized work surfaces, frame presentation and the cross-fade between two pictures.
// After a fatal display error the display is shut down and every drawing operation does nothing;
// the program runs on.
#pragma once
#include <cstdint>

#include "platform/display_device.h"

constexpr int32_t ScreenWidth = 800;
constexpr int32_t ScreenHeight = 600;
constexpr int WorkSurfaceCount = 3;

// A fade rectangle: x0, x1, y0, y1 (left, right, top, bottom; right and bottom exclusive). An
// absent one (null) means the whole screen.
struct FadeRect {
    int32_t x0 = 0;
    int32_t x1 = ScreenWidth;
    int32_t y0 = 0;
    int32_t y1 = ScreenHeight;
};

// Brings the display up: device, 800x600 mode (32 bits, else 24, else 16 when a depth is refused
// as invalid), primary surface with back buffer, work surfaces 0-2, colour key. False on failure,
// with everything made so far released.
bool InitDisplay();
// Releases everything the display holds; safe to repeat. Always false, so that a failing
// operation can return its result.
bool ShutdownDisplay();
// True between a successful InitDisplay and ShutdownDisplay.
bool DisplayIsUp();

// Shows the back buffer, then pumps messages until 15 ms after the previous present, then copies
// the screen back into the back buffer, so that a frame redraws only what changed.
void Present();
// Presents the screen if 10 ms have passed since the last tick; loading steps call it.
void LoadingTick();
// Forgets the last tick, so that the next one presents (start of a run, tests).
void ResetLoadingTick();
// Fills the back buffer with black.
void ClearBackBuffer();
// Copies a rectangle of the back buffer to the same place on work surface n (0-2).
void SaveBackBufferRect(int n, int32_t left, int32_t top, int32_t right, int32_t bottom);
// Copies work surface n, shifted by (dx, dy), into the destination rectangle of the back buffer,
// clipped to the screen; keyed copies leave the back buffer alone under key-coloured pixels.
void BlitWorkSurface(int n, int32_t dx, int32_t dy, bool keyed, int32_t left, int32_t top,
                     int32_t right, int32_t bottom);

// Cross-fade: the target picture is read from work surface 0, the source from work surface 1.
void CaptureFadeTarget(const FadeRect* rect);
void CaptureFadeSource(const FadeRect* rect);
// Writes source + (target - source) * p / 100 (p in 0..100, else nothing happens) into work surface
// 0 and copies it to the back buffer. A non-zero mode keeps the target's key-coloured pixels
// transparent, so that the back buffer shows through them.
void BlendFade(int32_t p, const FadeRect* rect, int32_t mode);

// Bits per pixel of the display mode: 32, 24 or 16 (0 before the first InitDisplay).
int32_t DisplayDepth();
// The transparent colour in the display's format: 0xF81F at 16 bits, else 0x00FF00FF.
uint32_t DisplayColourKey();
// The same as a colour key pair (low = high).
DDCOLORKEY DisplayColourKeyPair();

// The display's objects, null while the display is down. Drawing code draws into the back buffer.
DisplayDevice* DisplayDeviceObject();
DisplaySurface* DisplayPrimarySurface();
DisplaySurface* DisplayBackBuffer();
DisplaySurface* DisplayWorkSurface(int n);
