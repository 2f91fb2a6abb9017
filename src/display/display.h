// The display: the 800x600 screen, its back buffer and the frame pace.
#pragma once

// Shows the back buffer and paces frames: returns no sooner than 15 ms after the previous
// present returned, pumping messages while it waits.
void Present();
