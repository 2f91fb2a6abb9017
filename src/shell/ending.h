// An end asked for from outside the cabinet: a signal from the operator or the system (a service
// manager's stop, a console's interrupt, a lost terminal). At the menu the cabinet ends at once as
// the Main Menu ends it ("Closing log", a black screen, "TERM", exit code 0). A game under way is
// never thrown away: what happens to it is decided in one place, EndAskedDuringGame.
#pragma once

// Notes the end (the window procedure calls this for the end message); the signal is logged.
void AskToEnd(int signal);
// True once an end was asked for in this run.
bool EndAsked();
// Forgets an earlier end (start of a run).
void ResetEnding();

// The main loop marks the time between a paid start and the game's return.
void MarkGameUnderWay(bool underWay);
bool GameUnderWay();

// Thrown by EndAskedDuringGame out of the message pump the game was polling: the game's frames
// unwind to the main loop, which ends the cabinet as at the menu without counting the game.
struct GameLeftInJournal {};

// What an end asked for during a game does to it. When the game's journal is on disk, the game
// stops where it stands (GameLeftInJournal is thrown) and the next start resumes it: a money
// request never pumps messages, so one under way has its reply, or its reconciliation, before
// the game stops. Without a journal on disk (it could not be written, or the run keeps it in
// memory only) the game is played on to its own end (won, lost or timed out: a game left alone
// ends at its first answer time-out), and the cabinet ends when it returns to the main loop.
void EndAskedDuringGame();
