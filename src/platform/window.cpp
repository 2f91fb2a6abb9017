#include "platform/window.h"

#include <deque>
#include <string>

#include "platform/backend.h"
#include "platform/headless.h"
#include "platform/signals.h"
#include "platform/window_queue.h"

namespace {
std::string gClassName;
WindowProcedure gProcedure = nullptr;
bool gHaveWindow = false;
WindowFault gFault = WindowFault::None;
std::deque<WindowMessage> gQueue;
uint64_t gTaken = 0;

bool Sdl() {
    return CurrentBackend() == Backend::Sdl;
}
}  // namespace

std::deque<WindowMessage>& WindowQueue() {
    return gQueue;
}

uint64_t WindowMessagesTaken() {
    return gTaken;
}

void WindowForget() {
    gQueue.clear();
    gHaveWindow = false;
    gFault = WindowFault::None;
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
    if (Sdl() && !SdlOpenWindow(width, height)) return false;
    gHaveWindow = true;
    return true;
}

void PlatformShowWindow() {
    if (Sdl()) SdlShowMainWindow();
}

void PlatformShowCursor(bool show) {
    if (Sdl()) SdlSetCursorShown(show);
}

int PlatformScreenWidth() {
    int width = 800, height = 600;
    if (Sdl()) SdlDesktopSize(width, height);
    return width;
}

int PlatformScreenHeight() {
    int width = 800, height = 600;
    if (Sdl()) SdlDesktopSize(width, height);
    return height;
}

void PlatformDestroyWindow() {
    SdlCloseWindow();
    gHaveWindow = false;
}

bool PlatformWindowExists() {
    return gHaveWindow;
}

bool PlatformPeekMessage(WindowMessage& message) {
    if (int signal = TakeEndSignal())
        gQueue.push_back(WindowMessage{WM_ENDSESSION, static_cast<uint64_t>(signal), 0});
    if (Sdl())
        SdlPollEvents();
    else
        HeadlessCollectPresses();
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
