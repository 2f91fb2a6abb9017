// The program's run: start-up in its fixed order, the loop between menu and game, and the
// shutdowns, each ending with its own exit code.
#pragma once
#include <cstdint>

// Exit codes of WinMain.
constexpr int ExitWindowFailed = -1;
constexpr int ExitSocketFailed = 1;
constexpr int ExitNoCreditService = 2;
constexpr int ExitNormal = 0;
constexpr int ExitDisplayFailed = -6;
constexpr int ExitPackMissing = -7;
constexpr int ExitSoundFailed = -8;

// The bring-up steps and screens that other subsystems provide. The run calls them through this
// table so that tests can make any step fail and reach every exit path.
struct StartupSteps {
    bool (*initDisplay)();         // the display bring-up
    void (*showLoadingPicture)();  // clears, loads and presents the loading picture
    void (*loadAuditRecord)();
    bool (*checkQuestionPacks)();  // false: a pack is missing
    bool (*initSound)();           // false: the effects object could not be made
    void (*loadGameImages)();
    void (*crossFadeToMenu)();  // from the loading picture to the menu background
    bool (*runMenu)();          // true: a game is paid for; false: end the program
    void (*playGame)();
    int (*gameWinAmount)();  // the prize of the game just played
    void (*blankScreen)();   // leaves the screen black at a normal end
    void (*releaseResourceImages)();
    void (*shutdownDisplay)();
};
extern StartupSteps gStartup;
// The table as the real program has it.
StartupSteps DefaultStartupSteps();
// The steps of a run without a display (the simulator's fast runs, tests): the display is never
// made and the loading picture, the game's pictures and the cross-fade are left out.
void LeaveOutDisplay(StartupSteps& steps);

// The whole run; returns the process exit code.
int WinMain();
// The run itself, without the journal switched on around it.
int RunCabinet();
// One paid game from its start to its result in the audit record (the main loop's body).
void PlayPaidGame();
// A game's end in the audit record (its time, its result), then its recall; the journal goes.
void FinishGame(int32_t prize, int16_t seconds);
// At start-up: plays on a game the journal kept (a power cut, a crash, a kill), or settles its
// money; true when a journal was found.
bool ResumeUnfinishedGame();
