// Shared between the platform's SDL2 pieces only: the window and its renderer.
#pragma once
#include <SDL.h>

SDL_Window* SdlMainWindow();
// The display's renderer, once it has made one; touches are mapped through its logical size.
void SdlSetRenderer(SDL_Renderer* renderer);
SDL_Renderer* SdlMainRenderer();
// Starts the SDL subsystem given (SDL_INIT_VIDEO, SDL_INIT_AUDIO...) once for the process.
bool SdlEnsureSubsystem(Uint32 flags);
