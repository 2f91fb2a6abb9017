// One paid game from the set-up to the end screens and the payment, and the game's pictures.
#pragma once
#include <cstdint>

// Loads the game's pictures once at start-up, keeping the loading screen alive between loads.
void LoadGameImages();
// Runs one paid game to its end; returns 0.
int PlayGame();
// Main-round questions until the game is lost or the final stage is due.
void RunRounds();
// The same from the game's state as it stands (a resumed game).
void RunQuestions();
// Plays on the journaled game in gJournal, restored into the game's state, to its end screens.
void ResumeGameInPlay();
// The game-over or win screen with the payment, then back to the menu's background.
void EndGame();
// Resets the game record and shows the opening display.
void SetUpGame();
void ShowGameOverScreen();
// The won game's screen, and the payment of the prize.
void ShowWinScreen(int32_t amount);
// The prize of the game just played.
int GameWinAmount();
