// The final stage: the three big teams come forward with their prizes, and each right answer
// knocks out the next one; the prize is that of the last big team beaten.
#pragma once
#include <cstdint>

#include "game/session.h"

// Top-left corners of the big-team pictures, big team 1 to 3.
extern const ScreenPoint BigTeamSpots[BigTeamCount];
// Where the small pictures of the big teams slide to in the stage's opening.
extern const ScreenPoint BigTeamTargets[BigTeamCount];
// Question grade against big team 1, 2, 3 by payout band.
extern const int32_t FinalGrades[7][BigTeamCount];

// The grade of the question against big team `index` (0 to 2) at this band.
int32_t FinalGrade(int band, int index);
// The message panel frame that ends a final stage in which `beaten` big teams fell (0 to 3);
// with none beaten one of the two losing frames is drawn at random.
int32_t FinalResultPanel(int beaten);

// One small picture sliding from its grid place to its target at 8 pixels a frame.
struct SlidingTeam {
    float x, y;    // position
    float vx, vy;  // velocity per frame
    ScreenPoint target;
    bool fromLeft;
    bool arrived;
};
SlidingTeam StartSlide(ScreenPoint from, ScreenPoint target);
// Moves one frame unless arrived (the position drawn this frame is then read).
void MoveSlide(SlidingTeam& slide);
// After the frame is shown: notes arrival and puts the picture on its target.
void CheckSlideArrival(SlidingTeam& slide);

// The three big teams in their panels with their prizes (knocked out ones dimmed).
void DrawBigTeams();
// The stage's opening: the big teams' small pictures slide forward, then the big pictures rise.
void FinalIntro();
// Up to three questions, one per big team; leaves GameState at GameFinalWon with WinAmount set,
// or at AnswerWrong with WinAmount 0.
void RunFinalStage();
// The stage's questions from big team `beaten` + 1 on, or its end at once when `over` (a
// resumed game).
void RunFinalQuestions(int beaten, bool over);
