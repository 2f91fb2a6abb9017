#include "display/screen_changes.h"

#include "core/timing.h"
#include "display/asset_manifest.h"
#include "display/display.h"
#include "display/resource_images.h"

namespace {
constexpr uint32_t kCrossFadeMs = 800;
// The blend that keeps key-coloured parts of the new picture transparent.
constexpr int32_t kKeyPreservingBlend = 2;

ResourceImage gLoadingPicture;
ResourceImage gMenuBackground;
}  // namespace

void ShowLoadingPicture() {
    ClearBackBuffer();
    LoadResourceImage(gLoadingPicture, LoadingScreenImage, 1);
    WaitPumping(1);
    DrawResourceFrame(gLoadingPicture, 0, 0, 0, nullptr, false);
    Present();
}

void CrossFadeToMenu() {
    const FadeRect whole{0, ScreenWidth, 0, ScreenHeight};
    SaveBackBufferRect(1, 0, 0, ScreenWidth, ScreenHeight);
    CaptureFadeSource(&whole);
    LoadResourceImage(gMenuBackground, MenuBackgroundImage, 1);
    DrawResourceFrameToWork(0, gMenuBackground, 0, 0, 0, nullptr, false);
    CaptureFadeTarget(&whole);
    StartTransition(kCrossFadeMs);
    while (!TransitionDone()) {
        const int32_t p = static_cast<int32_t>(TransitionProgress(100));
        BlendFade(p, &whole, kKeyPreservingBlend);
        Present();
    }
}

void BlankScreen() {
    ClearBackBuffer();
    Present();
    ClearBackBuffer();
}
