#include "platform/sdl_presenter.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/debug.h"
#include "platform/picture_fit.h"
#include "platform/sdl_window.h"

struct SdlPresenter {
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowBytes = 0;
    // The texture holds a picture: after it, only the rows a frame changes are uploaded, and a
    // frame that changes none is not presented.
    bool haveShown = false;
    // The output size the picture was last fitted to; another size fits it again.
    int outputWidth = -1, outputHeight = -1;
    SDL_Rect place{};
};

namespace {
// The SDL format whose memory layout is the display's at that depth.
Uint32 TextureFormat(int32_t bpp) {
    if (bpp == 16) return SDL_PIXELFORMAT_RGB565;
    if (bpp == 24) return SDL_PIXELFORMAT_BGR24;
    return SDL_PIXELFORMAT_RGB888;
}

// Fits the picture to the renderer's output. Scaling by a whole number keeps every pixel a sharp
// square; any other scale (up on most monitors, down on small ones) is smoothed linearly, so that
// the text and the outlines keep an even weight instead of some rows and columns doubling or
// vanishing.
void FitToOutput(SdlPresenter& p, int outputWidth, int outputHeight) {
    const PictureFit fit = FitPicture(outputWidth, outputHeight, p.width, p.height);
    p.place = SDL_Rect{fit.x, fit.y, fit.width, fit.height};
    p.outputWidth = outputWidth;
    p.outputHeight = outputHeight;
    SDL_SetTextureScaleMode(p.texture, fit.wholeScale ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
}
}  // namespace

SdlPresenter* SdlPresenterCreate(int32_t width, int32_t height, int32_t bpp) {
    SDL_Window* window = SdlMainWindow();
    if (!window) return nullptr;
    auto* p = new SdlPresenter;
    p->width = width;
    p->height = height;
    p->rowBytes = width * (bpp / 8);
    p->renderer = SdlMainRenderer();
    if (!p->renderer) p->renderer = SDL_CreateRenderer(window, -1, 0);
    if (!p->renderer) p->renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!p->renderer) {
        OutputDebugText("display: no renderer for the main window\n");
        delete p;
        return nullptr;
    }
    p->texture = SDL_CreateTexture(p->renderer, TextureFormat(bpp), SDL_TEXTUREACCESS_STREAMING,
                                   width, height);
    if (!p->texture) {
        OutputDebugText("display: no streaming texture for the screen\n");
        SDL_DestroyRenderer(p->renderer);
        delete p;
        return nullptr;
    }
    SdlSetRenderer(p->renderer);
    return p;
}

bool SdlPresenterShow(SdlPresenter* p, const uint8_t* pixels, int32_t pitch, int32_t first,
                      int32_t last) {
    if (!p || !pixels) return false;
    int outputWidth = 0, outputHeight = 0;
    if (SDL_GetRendererOutputSize(p->renderer, &outputWidth, &outputHeight) != 0) return false;
    // The window was uncovered, resized or moved to another screen: show the picture again.
    const bool refit = outputWidth != p->outputWidth || outputHeight != p->outputHeight;
    const bool redraw = SdlTakeRedrawRequest() || refit;
    if (!p->haveShown) {
        first = 0;
        last = p->height - 1;
    }
    first = std::max(first, 0);
    last = std::min(last, p->height - 1);
    if (first > last && !redraw) return true;

    if (first <= last) {
        // Only the band of changed rows goes to the texture.
        const SDL_Rect band{0, first, p->width, last - first + 1};
        void* texels = nullptr;
        int texPitch = 0;
        if (SDL_LockTexture(p->texture, &band, &texels, &texPitch) != 0) {
            p->haveShown = false;
            return false;
        }
        auto* out = static_cast<uint8_t*>(texels);
        const auto rowBytes = static_cast<size_t>(p->rowBytes);
        for (int32_t y = first; y <= last; ++y)
            std::memcpy(out + static_cast<ptrdiff_t>(y - first) * texPitch,
                        pixels + static_cast<ptrdiff_t>(y) * pitch, rowBytes);
        SDL_UnlockTexture(p->texture);
    }
    p->haveShown = true;
    if (refit) FitToOutput(*p, outputWidth, outputHeight);
    SDL_SetRenderDrawColor(p->renderer, 0, 0, 0, 255);
    SDL_RenderClear(p->renderer);
    SDL_RenderCopy(p->renderer, p->texture, nullptr, &p->place);
    SDL_RenderPresent(p->renderer);
    return true;
}

void SdlPresenterDestroy(SdlPresenter* p) {
    if (!p) return;
    if (p->texture) SDL_DestroyTexture(p->texture);
    if (p->renderer) {
        SDL_DestroyRenderer(p->renderer);
        SdlSetRenderer(nullptr);
    }
    delete p;
}

bool SdlPresenterHasWindow() {
    return SdlMainWindow() != nullptr;
}
