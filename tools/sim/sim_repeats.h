// How often a regular meets a statement again: the games are taken in runs of RegularGames, each
// run played by one regular, who remembers every statement of the run's earlier games.
#pragma once
#include <cstdint>

constexpr int RegularGames = 20;

// The question screen as the game draws it, many times a question: a text other than the one
// drawn last is a new question (one statement drawn twice in a row counts once).
void NoteQuestionShown(const char* text);
// The end of one game.
void NoteGameOver();
// Prints the share of statements a regular had already seen in an earlier game of the run.
void PrintRepeats();
