// The whole-screen changes of start-up and shut-down: the loading picture, the cross-fade from it
// to the menu background, and the black screen left at the end.
#pragma once

// Clears the back buffer, loads resource image 1 and presents it full screen.
void ShowLoadingPicture();
// Fades from the picture on screen to the menu background (resource image 16) over 800 ms; the
// background stays in the back buffer for the menu.
void CrossFadeToMenu();
// Leaves the screen and the back buffer black.
void BlankScreen();
