// The one window and its message queue: presses of the touch screen (left-button presses),
// destroy, quit, and other messages, taken with removal and dispatched to the window procedure.
#pragma once
#include <cstdint>

constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_QUIT = 0x0012;
// The program is asked to end from outside (platform/signals.h); wParam holds the signal.
constexpr uint32_t WM_ENDSESSION = 0x0016;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;

struct WindowMessage {
    uint32_t message = WM_NULL;
    uint64_t wParam = 0;
    int64_t lParam = 0;  // for WM_LBUTTONDOWN: x in the low 16 bits, y in the next 16, signed
};

using WindowProcedure = int64_t (*)(uint32_t message, uint64_t wParam, int64_t lParam);

// Registers the window class; false when registration fails.
bool PlatformRegisterClass(const char* className, WindowProcedure procedure);
// Makes the window at (0, 0) with the given size; false when creation fails. SDL2: the window
// covers the whole primary screen, with or without a window manager; presses on it are mapped to
// the 800x600 picture shown on it (see picture_fit.h), and presses in its black bars are dropped.
bool PlatformCreateWindow(const char* className, int width, int height);
void PlatformShowWindow();
void PlatformShowCursor(bool show);
// Width and height of the primary screen.
int PlatformScreenWidth();
int PlatformScreenHeight();
// Closes the window and releases the windowing system; safe to repeat.
void PlatformDestroyWindow();
bool PlatformWindowExists();

// Takes the next waiting message off the queue; false when the queue is empty.
bool PlatformPeekMessage(WindowMessage& message);
void PlatformTranslateMessage(const WindowMessage& message);
int64_t PlatformDispatchMessage(const WindowMessage& message);
int64_t PlatformDefWindowProc(uint32_t message, uint64_t wParam, int64_t lParam);
void PlatformPostQuitMessage(int code);

// A press message for (x, y), packed as the window procedure reads it.
WindowMessage MakePressMessage(int16_t x, int16_t y);
