// The one backend choice of the process: the SDL2 window, screen and audio of a real cabinet, or
// the headless stand-ins that tests and the simulator drive in-process.
#pragma once

enum class Backend { Sdl, Headless };

// Chooses the backend; call before the window is made. The default is Sdl.
void SelectBackend(Backend backend);
Backend CurrentBackend();
