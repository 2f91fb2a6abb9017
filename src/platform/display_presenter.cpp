#include "platform/display_presenter.h"

#include <SDL.h>

#include "platform/debug.h"
#include "platform/sdl_window.h"

struct SdlPresenter {
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int32_t height = 0;
    int32_t rowBytes = 0;
};

namespace {
// The SDL format whose memory layout is the display's at that depth.
Uint32 TextureFormat(int32_t bpp) {
    if (bpp == 16) return SDL_PIXELFORMAT_RGB565;
    if (bpp == 24) return SDL_PIXELFORMAT_BGR24;
    return SDL_PIXELFORMAT_RGB888;
}
}  // namespace

SdlPresenter* SdlPresenterCreate(int32_t width, int32_t height, int32_t bpp) {
    SDL_Window* window = SdlMainWindow();
    if (!window) return nullptr;
    auto* p = new SdlPresenter;
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
    SDL_RenderSetLogicalSize(p->renderer, width, height);
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

bool SdlPresenterShow(SdlPresenter* p, const uint8_t* pixels, int32_t pitch) {
    if (!p || !pixels) return false;
    void* texels = nullptr;
    int texPitch = 0;
    if (SDL_LockTexture(p->texture, nullptr, &texels, &texPitch) != 0) return false;
    auto* out = static_cast<uint8_t*>(texels);
    for (int32_t y = 0; y < p->height; ++y)
        SDL_memcpy(out + static_cast<ptrdiff_t>(y) * texPitch,
                   pixels + static_cast<ptrdiff_t>(y) * pitch, static_cast<size_t>(p->rowBytes));
    SDL_UnlockTexture(p->texture);
    SDL_SetRenderDrawColor(p->renderer, 0, 0, 0, 255);
    SDL_RenderClear(p->renderer);
    SDL_RenderCopy(p->renderer, p->texture, nullptr, nullptr);
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
