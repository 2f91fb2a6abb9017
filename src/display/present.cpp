// Presenting frames and the plain copies between the back buffer and the work surfaces.
#include "core/messages.h"
#include "core/timing.h"
#include "display/display_state.h"
#include "platform/clock.h"

namespace {
constexpr uint32_t kFrameMs = 15;
// A lost surface is restored and the copy tried again; a surface that is lost again at once is
// given up on rather than retried for ever.
constexpr int kLostRetries = 3;
Deadline gLoadingTick = 0;

bool ClockReached(uint32_t now, uint32_t deadline) {
    return static_cast<int32_t>(now - deadline) >= 0;
}

// Waits for the frame deadline and pumps the messages that came meanwhile, then sets the next
// deadline. The first frame does not wait. Messages only take effect at the next poll, after the
// frame, so the wait sleeps through to the deadline rather than waking every millisecond.
void PaceFrame() {
    for (;;) {
        PumpMessages();
        if (!gDisplay.deadlineSet || ClockReached(timeGetTime(), gDisplay.frameDeadline)) break;
        ClockSleepUntil(gDisplay.frameDeadline);
    }
    gDisplay.frameDeadline = timeGetTime() + kFrameMs;
    gDisplay.deadlineSet = true;
}
}  // namespace

void Present() {
    if (DisplaySurface* primary = gDisplay.primary.get()) {
        if (primary->Flip(nullptr, DDFLIP_WAIT) == DDERR_SURFACELOST) {
            if (primary->Restore() != DD_OK) {
                ShutdownDisplay();
                return;
            }
            primary->Flip(nullptr, DDFLIP_WAIT);
        }
    }
    // Pacing goes on without a display, so that the program keeps its speed and its touches.
    PaceFrame();
    if (gDisplay.backBuffer && gDisplay.primary) {
        const RECT whole{0, 0, ScreenWidth, ScreenHeight};
        gDisplay.backBuffer->BltFast(0, 0, gDisplay.primary.get(), &whole, DDBLTFAST_WAIT);
    }
}

void LoadingTick() {
    if (DeadlinePassed(gLoadingTick)) {
        SetDeadline(gLoadingTick, 10);
        Present();
    }
}

void ResetLoadingTick() {
    gLoadingTick = 0;
}

void ClearBackBuffer() {
    DisplaySurface* back = gDisplay.backBuffer.get();
    if (!back) return;
    DDBLTFX fx;
    fx.fillColor = 0;
    for (int lost = 0;;) {
        const DDRESULT r = back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        if (r == DDERR_WASSTILLDRAWING) continue;
        if (r != DDERR_SURFACELOST || ++lost > kLostRetries || back->Restore() != DD_OK) return;
    }
}

void SaveBackBufferRect(int n, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    DisplaySurface* work = DisplayWorkSurface(n);
    if (!work || !gDisplay.backBuffer) return;
    const RECT source{left, top, right, bottom};
    for (int lost = 0;;) {
        const DDRESULT r =
            work->BltFast(left, top, gDisplay.backBuffer.get(), &source, DDBLTFAST_WAIT);
        if (r == DDERR_WASSTILLDRAWING) continue;
        if (r != DDERR_SURFACELOST) return;
        if (++lost > kLostRetries) return;
        if (work->Restore() != DD_OK) {
            ShutdownDisplay();
            return;
        }
    }
}

namespace {
int32_t Scaled(int32_t amount, int32_t to, int32_t from) {
    return static_cast<int32_t>(int64_t{amount} * to / from);
}
}  // namespace

void BlitWorkSurface(int n, int32_t dx, int32_t dy, bool keyed, int32_t left, int32_t top,
                     int32_t right, int32_t bottom) {
    DisplaySurface* work = DisplayWorkSurface(n);
    DisplaySurface* back = gDisplay.backBuffer.get();
    if (!work || !back) return;
    RECT d{left, top, right, bottom};
    RECT s{left - dx, top - dy, right - dx, bottom - dy};
    const int32_t sw = s.right - s.left != 0 ? s.right - s.left : 1;
    const int32_t sh = s.bottom - s.top != 0 ? s.bottom - s.top : 1;
    const int32_t dw = d.right - d.left != 0 ? d.right - d.left : 1;
    const int32_t dh = d.bottom - d.top != 0 ? d.bottom - d.top : 1;
    // The source cut to the work surface moves the destination by the same share, and the
    // destination cut to the screen moves the source.
    if (s.left < 0) d.left -= Scaled(s.left, dw, sw), s.left = 0;
    if (s.top < 0) d.top -= Scaled(s.top, dh, sh), s.top = 0;
    if (s.right > ScreenWidth)
        d.right -= Scaled(s.right - ScreenWidth, dw, sw), s.right = ScreenWidth;
    if (s.bottom > ScreenHeight)
        d.bottom -= Scaled(s.bottom - ScreenHeight, dh, sh), s.bottom = ScreenHeight;
    if (d.left < 0) s.left -= Scaled(d.left, sw, dw), d.left = 0;
    if (d.top < 0) s.top -= Scaled(d.top, sh, dh), d.top = 0;
    if (d.right > ScreenWidth)
        s.right -= Scaled(d.right - ScreenWidth, sw, dw), d.right = ScreenWidth;
    if (d.bottom > ScreenHeight)
        s.bottom -= Scaled(d.bottom - ScreenHeight, sh, dh), d.bottom = ScreenHeight;

    DDBLTFX fx;
    fx.srcColorKeyOverride = DisplayColourKeyPair();
    const uint32_t flags = DDBLT_WAIT | (keyed ? DDBLT_KEYSRCOVERRIDE : 0);
    for (int lost = 0;;) {
        const DDRESULT r = back->Blt(&d, work, &s, flags, &fx);
        if (r == DDERR_WASSTILLDRAWING) continue;
        if (r != DDERR_SURFACELOST || ++lost > kLostRetries || back->Restore() != DD_OK) return;
    }
}
