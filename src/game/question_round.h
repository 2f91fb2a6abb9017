// One question from the panel to the verdict: the answer clock pours in, a statement is shown,
// and the player answers True or False, or plays a pass or the joker, before the time is up.
#pragma once
#include <cstdint>

#include "game/buttons.h"

// A main-round question with its removal step after a right or passed answer.
bool AskQuestion();
// Puts one question; returns and stores the new state, AnswerRight or AnswerWrong. `grade` is the
// question grade of a final-stage question (ignored in the main rounds).
uint8_t QuestionRound(bool final, int32_t grade);
// The timer picture and, in the last six seconds, the flashing warning strip.
void DrawAnswerClock();
// The whole question screen of the main rounds, redrawn on every poll of its buttons.
void RedrawQuestionScreen();
// The whole question screen of the final stage.
void RedrawFinalQuestionScreen();
// What the question lists' button waits draw and ask: these screens, the helps and the answer
// clock.
ButtonScreens QuestionButtonScreens();
