#include "platform/sdl_window.h"

#include "platform/picture_fit.h"
#include "platform/window_queue.h"

namespace {
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
    WindowQueue().push_back(MakePressMessage(x, y));
    return true;
}
}  // namespace

void SdlPollEvents() {
    if (!gSdlWindow) return;
    std::deque<WindowMessage>& queue = WindowQueue();
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
            case SDL_MOUSEBUTTONDOWN:
                // Presses made by a touch screen come as finger events (below), not twice.
                if (e.button.button != SDL_BUTTON_LEFT || e.button.which == SDL_TOUCH_MOUSEID ||
                    !QueuePress(e.button.x + 0.5, e.button.y + 0.5))
                    queue.push_back(WindowMessage{WM_NULL, e.type, 0});
                break;
            case SDL_FINGERDOWN: {
                // Finger positions are fractions of the window's size.
                int w = kPictureWidth, h = kPictureHeight;
                SDL_GetWindowSize(gSdlWindow, &w, &h);
                if (!QueuePress(e.tfinger.x * w, e.tfinger.y * h))
                    queue.push_back(WindowMessage{WM_NULL, e.type, 0});
                break;
            }
            case SDL_QUIT:
                queue.push_back(WindowMessage{WM_DESTROY, 0, 0});
                break;
            case SDL_WINDOWEVENT:
                // Uncovered, resized (a mode change, a monitor plugged in): the presenter shows
                // the picture again, fitted to the new size.
                gRedrawRequested = true;
                queue.push_back(WindowMessage{WM_NULL, e.type, 0});
                break;
            case SDL_DISPLAYEVENT:
            case SDL_RENDER_TARGETS_RESET:
            case SDL_RENDER_DEVICE_RESET:
                gRedrawRequested = true;
                queue.push_back(WindowMessage{WM_NULL, e.type, 0});
                break;
            default:
                queue.push_back(WindowMessage{WM_NULL, e.type, 0});
                break;
        }
    }
}

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

bool SdlOpenWindow(int width, int height) {
    if (!SdlEnsureSubsystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS)) return false;
    // The window covers its screen whether or not a window manager makes it full screen:
    // without one, nothing would give it more than the size it is made with.
    SDL_Rect screen{0, 0, width, height};
    SDL_GetDisplayBounds(0, &screen);
    gSdlWindow = SDL_CreateWindow("Brindlemark", screen.x, screen.y, screen.w, screen.h,
                                  SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_HIDDEN);
    return gSdlWindow != nullptr;
}

void SdlCloseWindow() {
    if (!gSdlWindow) return;
    SDL_DestroyWindow(gSdlWindow);
    gSdlWindow = nullptr;
}

void SdlShowMainWindow() {
    if (gSdlWindow) SDL_ShowWindow(gSdlWindow);
}

void SdlSetCursorShown(bool show) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

bool SdlDesktopSize(int& width, int& height) {
    SDL_DisplayMode mode;
    if (!SdlEnsureSubsystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) ||
        SDL_GetDesktopDisplayMode(0, &mode) != 0)
        return false;
    width = mode.w;
    height = mode.h;
    return true;
}
