// The display's module-level state, shared by the display's own files.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "display/display.h"

struct DisplayState {
    std::unique_ptr<DisplayDevice> device;
    DisplaySurfacePtr primary;
    DisplaySurfacePtr backBuffer;
    DisplaySurfacePtr work[WorkSurfaceCount];
    int32_t depth = 0;
    uint32_t colourKey = 0;
    uint32_t frameDeadline = 0;
    bool deadlineSet = false;
};
extern DisplayState gDisplay;

// Converts a fade rectangle (null: the whole screen) to a surface rectangle cut to the screen.
RECT FadeToSurfaceRect(const FadeRect* rect);
