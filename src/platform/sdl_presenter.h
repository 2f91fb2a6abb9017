// The SDL2 side of the display device: a renderer on the main window with an 800x600 logical size
// and a streaming texture in the display's pixel format.
#pragma once
#include <cstdint>

struct SdlPresenter;

// Makes the renderer and texture for a mode of that depth; null when SDL cannot.
SdlPresenter* SdlPresenterCreate(int32_t width, int32_t height, int32_t bpp);
// Shows one picture of the mode's size and format, of which only rows first..last changed since
// the last one shown (none when first > last: shown again only when the window asks for it).
bool SdlPresenterShow(SdlPresenter* presenter, const uint8_t* pixels, int32_t pitch, int32_t first,
                      int32_t last);
void SdlPresenterDestroy(SdlPresenter* presenter);
// True once the main window exists to present in.
bool SdlPresenterHasWindow();
