// The cabinet's one full-screen window.
#pragma once

// Registers the class and makes and shows the window, whose end message asks the cabinet to
// end; false if either step fails.
bool CreateMainWindow();
