// The answer clock of a question: 20 seconds that run once the question is shown, freeze while
// an answer is judged, and speed up a flashing warning in their last six seconds.
#pragma once
#include <cstdint>

struct AnswerClock {
    bool running;          // counting down
    bool paused;           // an answer is being judged; the time left is frozen
    int32_t totalMs;       // the time allowed, reset by a resume
    int32_t leftMs;        // time left while not running
    uint32_t startTime;    // clock when it last started running
    int32_t pausedLeft;    // time left at the pause
    bool warnOn;           // the low-time warning is in its lit half
    int32_t beepInterval;  // ms between warning toggles
    uint32_t beepDue;      // clock time of the next warning toggle
};
extern AnswerClock gAnswerClock;

constexpr int32_t AnswerTimeMs = 20000;
constexpr int32_t WarningFromMs = 6000;  // the warning runs while less than this is left

// Arms the clock with ms, not yet running, the warning reset.
void ArmAnswerClock(int32_t ms);
// Arms the clock with ms; unless quiet, the timer picture pours in first (about a second).
void StartAnswerClock(int32_t ms, bool quiet);
void RunAnswerClock();
void StopAnswerClock();
void PauseAnswerClock();
void ResumeAnswerClock();
// Milliseconds left. The call that finds the time used up may return a negative value once;
// every later call returns 0, which is what ends the button wait.
int32_t AnswerTimeLeft();

// Frame of the timer picture for the time left: 0 with most time left, 14 with none.
int32_t AnswerClockFrame(int32_t leftMs);
// Whether the low-time warning runs with this much time left: under six seconds, not yet out.
bool ClockWarningShows(int32_t leftMs);
// Steps the low-time warning when its toggle is due; true when this toggle lights it (a tick).
bool StepClockWarning();
