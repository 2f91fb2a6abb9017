// Shared by the window's pieces only (window.cpp, sdl_window.cpp, headless_window.cpp): the one
// message queue, and what each backend does for the window.
#pragma once
#include <cstdint>
#include <deque>

#include "platform/window.h"

std::deque<WindowMessage>& WindowQueue();
uint64_t WindowMessagesTaken();
// Drops the queued messages and any injected fault, and forgets the window.
void WindowForget();

// SDL2: the window over the whole primary screen, hidden until shown; false when it cannot be made.
bool SdlOpenWindow(int width, int height);
void SdlCloseWindow();
void SdlShowMainWindow();
void SdlSetCursorShown(bool show);
// The primary screen's size; false when SDL cannot tell.
bool SdlDesktopSize(int& width, int& height);
// Queues what the window received: presses mapped to the picture, closes, everything else as
// WM_NULL.
void SdlPollEvents();

// Headless: queues the scheduled presses that are due and the press source's.
void HeadlessCollectPresses();
