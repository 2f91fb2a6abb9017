// Shared between the platform's SDL2 pieces only: the window and its renderer.
#pragma once
#include <SDL.h>

SDL_Window* SdlMainWindow();
// The display's renderer, once it has made one; touches are mapped through its output size.
void SdlSetRenderer(SDL_Renderer* renderer);
SDL_Renderer* SdlMainRenderer();
// Starts the SDL subsystem given (SDL_INIT_VIDEO, SDL_INIT_AUDIO...) once for the process.
bool SdlEnsureSubsystem(Uint32 flags);
// The window was uncovered or resized: the next picture is shown even if it is unchanged.
void SdlRequestRedraw();
// True once after each request.
bool SdlTakeRedrawRequest();
