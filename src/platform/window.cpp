#include "platform/window.h"

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/picture_fit.h"
#include "platform/sdl_window.h"
#include "platform/signals.h"

namespace {
struct ScheduledPress {
    uint32_t at;
    int16_t x, y;
};

std::string gClassName;
WindowProcedure gProcedure = nullptr;
bool gHaveWindow = false;
WindowFault gFault = WindowFault::None;
std::deque<WindowMessage> gQueue;
std::vector<ScheduledPress> gScheduled;
PressSource gPressSource;
uint64_t gTaken = 0;
SDL_Window* gSdlWindow = nullptr;
SDL_Renderer* gSdlRenderer = nullptr;

constexpr int kPictureWidth = 800;
constexpr int kPictureHeight = 600;
bool gRedrawRequested = false;

// The window's drawable size in pixels (the renderer's output; the window's size before there is
// a renderer), and the window's size in the units of its events.
void WindowSizes(int& outputWidth, int& outputHeight, int& windowWidth, int& windowHeight) {
    windowWidth = kPictureWidth;
    windowHeight = kPictureHeight;
    if (gSdlWindow) SDL_GetWindowSize(gSdlWindow, &windowWidth, &windowHeight);
    outputWidth = windowWidth;
    outputHeight = windowHeight;
    if (gSdlRenderer) SDL_GetRendererOutputSize(gSdlRenderer, &outputWidth, &outputHeight);
}

// A press at window position (wx, wy) as a press message on the 800x600 picture; none (false) when
// it lies in a black bar beside or above the picture.
bool QueuePress(double wx, double wy) {
    int outputWidth, outputHeight, windowWidth, windowHeight;
    WindowSizes(outputWidth, outputHeight, windowWidth, windowHeight);
    if (windowWidth <= 0 || windowHeight <= 0) return false;
    const PictureFit fit = FitPicture(outputWidth, outputHeight, kPictureWidth, kPictureHeight);
    int16_t x, y;
    if (!ScreenToPicture(fit, kPictureWidth, kPictureHeight, wx * outputWidth / windowWidth,
                         wy * outputHeight / windowHeight, x, y))
        return false;
    gQueue.push_back(MakePressMessage(x, y));
    return true;
}

void PollSdlEvents() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
            case SDL_MOUSEBUTTONDOWN:
                // Presses made by a touch screen come as finger events (below), not twice.
                if (e.button.button != SDL_BUTTON_LEFT || e.button.which == SDL_TOUCH_MOUSEID ||
                    !QueuePress(e.button.x + 0.5, e.button.y + 0.5))
                    gQueue.push_back(WindowMessage{WM_NULL, e.type, 0});
                break;
            case SDL_FINGERDOWN: {
                // Finger positions are fractions of the window's size.
                int w = kPictureWidth, h = kPictureHeight;
                if (gSdlWindow) SDL_GetWindowSize(gSdlWindow, &w, &h);
                if (!QueuePress(e.tfinger.x * w, e.tfinger.y * h))
                    gQueue.push_back(WindowMessage{WM_NULL, e.type, 0});
                break;
            }
            case SDL_QUIT:
                gQueue.push_back(WindowMessage{WM_DESTROY, 0, 0});
                break;
            case SDL_WINDOWEVENT:
                // Uncovered, resized (a mode change, a monitor plugged in): the presenter shows
                // the picture again, fitted to the new size.
                gRedrawRequested = true;
                gQueue.push_back(WindowMessage{WM_NULL, e.type, 0});
                break;
            case SDL_DISPLAYEVENT:
            case SDL_RENDER_TARGETS_RESET:
            case SDL_RENDER_DEVICE_RESET:
                gRedrawRequested = true;
                gQueue.push_back(WindowMessage{WM_NULL, e.type, 0});
                break;
            default:
                gQueue.push_back(WindowMessage{WM_NULL, e.type, 0});
                break;
        }
    }
}

bool SignedReached(uint32_t now, uint32_t at) {
    return static_cast<int32_t>(now - at) >= 0;
}

void CollectHeadlessPresses() {
    if (gScheduled.empty() && !gPressSource) return;
    uint32_t now = timeGetTime();
    for (size_t i = 0; i < gScheduled.size();) {
        if (SignedReached(now, gScheduled[i].at)) {
            gQueue.push_back(MakePressMessage(gScheduled[i].x, gScheduled[i].y));
            gScheduled.erase(gScheduled.begin() + static_cast<long>(i));
        } else {
            ++i;
        }
    }
    int16_t x = 0, y = 0;
    if (gPressSource && gPressSource(now, x, y)) gQueue.push_back(MakePressMessage(x, y));
}
}  // namespace

SDL_Window* SdlMainWindow() {
    return gSdlWindow;
}
void SdlSetRenderer(SDL_Renderer* renderer) {
    gSdlRenderer = renderer;
}
SDL_Renderer* SdlMainRenderer() {
    return gSdlRenderer;
}
void SdlRequestRedraw() {
    gRedrawRequested = true;
}
bool SdlTakeRedrawRequest() {
    const bool requested = gRedrawRequested;
    gRedrawRequested = false;
    return requested;
}

bool SdlEnsureSubsystem(Uint32 flags) {
    if (SDL_WasInit(flags) == flags) return true;
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
    // The end signals are the program's own (platform/signals.h), never a quit event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // A touch that arrives together with the window's focus is still a touch: a kiosk never
    // wants a press thrown away for being the one that focused the window.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    return SDL_InitSubSystem(flags) == 0;
}

WindowMessage MakePressMessage(int16_t x, int16_t y) {
    uint32_t packed =
        static_cast<uint16_t>(x) | (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16);
    return WindowMessage{WM_LBUTTONDOWN, 0, static_cast<int64_t>(packed)};
}

void InjectWindowFault(WindowFault fault) {
    gFault = fault;
}

bool PlatformRegisterClass(const char* className, WindowProcedure procedure) {
    if (gFault == WindowFault::Register) {
        gFault = WindowFault::None;
        return false;
    }
    if (!className || !procedure) return false;
    gClassName = className;
    gProcedure = procedure;
    return true;
}

bool PlatformCreateWindow(const char* className, int width, int height) {
    if (gFault == WindowFault::Create) {
        gFault = WindowFault::None;
        return false;
    }
    if (!className || gClassName != className) return false;
    if (CurrentBackend() == Backend::Sdl) {
        if (!SdlEnsureSubsystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS)) return false;
        // The window covers its screen whether or not a window manager makes it full screen:
        // without one, nothing would give it more than the size it is made with.
        SDL_Rect screen{0, 0, width, height};
        SDL_GetDisplayBounds(0, &screen);
        gSdlWindow = SDL_CreateWindow("Brindlemark", screen.x, screen.y, screen.w, screen.h,
                                      SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_HIDDEN);
        if (!gSdlWindow) return false;
    }
    gHaveWindow = true;
    return true;
}

void PlatformShowWindow() {
    if (gSdlWindow) SDL_ShowWindow(gSdlWindow);
}

void PlatformShowCursor(bool show) {
    if (CurrentBackend() == Backend::Sdl && SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

int PlatformScreenWidth() {
    SDL_DisplayMode mode;
    if (CurrentBackend() == Backend::Sdl && SdlEnsureSubsystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) &&
        SDL_GetDesktopDisplayMode(0, &mode) == 0)
        return mode.w;
    return 800;
}

int PlatformScreenHeight() {
    SDL_DisplayMode mode;
    if (CurrentBackend() == Backend::Sdl && SdlEnsureSubsystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) &&
        SDL_GetDesktopDisplayMode(0, &mode) == 0)
        return mode.h;
    return 600;
}

void PlatformDestroyWindow() {
    if (gSdlWindow) {
        SDL_DestroyWindow(gSdlWindow);
        gSdlWindow = nullptr;
    }
    gHaveWindow = false;
}

bool PlatformWindowExists() {
    return gHaveWindow;
}

bool PlatformPeekMessage(WindowMessage& message) {
    if (int signal = TakeEndSignal())
        gQueue.push_back(WindowMessage{WM_ENDSESSION, static_cast<uint64_t>(signal), 0});
    if (CurrentBackend() == Backend::Sdl) {
        if (gSdlWindow) PollSdlEvents();
    } else {
        CollectHeadlessPresses();
    }
    if (gQueue.empty()) return false;
    message = gQueue.front();
    gQueue.pop_front();
    ++gTaken;
    return true;
}

void PlatformTranslateMessage(const WindowMessage&) {}

int64_t PlatformDispatchMessage(const WindowMessage& message) {
    if (!gProcedure || message.message == WM_QUIT) return 0;
    return gProcedure(message.message, message.wParam, message.lParam);
}

int64_t PlatformDefWindowProc(uint32_t, uint64_t, int64_t) {
    return 0;
}

void PlatformPostQuitMessage(int code) {
    gQueue.push_back(WindowMessage{WM_QUIT, static_cast<uint64_t>(code), 0});
}

void HeadlessSchedulePress(uint32_t atTime, int16_t x, int16_t y) {
    gScheduled.push_back({atTime, x, y});
}

void HeadlessSetPressSource(PressSource source) {
    gPressSource = std::move(source);
}

void HeadlessPostMessage(const WindowMessage& message) {
    gQueue.push_back(message);
}

void HeadlessResetInput() {
    gQueue.clear();
    gScheduled.clear();
    gPressSource = nullptr;
    gHaveWindow = false;
    gFault = WindowFault::None;
}

uint64_t HeadlessMessagesTaken() {
    return gTaken;
}
