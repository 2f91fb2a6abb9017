#include "game/question_round.h"

#include "core/messages.h"
#include "core/timing.h"
#include "display/display.h"
#include "game/answer_clock.h"
#include "game/buttons.h"
#include "game/final_stage.h"
#include "game/helps.h"
#include "game/journal.h"
#include "game/message_panel.h"
#include "game/outside.h"
#include "game/packs.h"
#include "game/removal.h"
#include "game/screen_drawing.h"
#include "game/session.h"
#include "platform/clock.h"
#include "records/audit.h"
#include "sound/effect_ids.h"

namespace {
constexpr int32_t TimerX = 576, TimerY = 437;
constexpr int32_t ButtonTrue = 0, ButtonFalse = 1, ButtonPass = 2, ButtonJoker = 3;

void RestoreTimerRect() {
    RestoreGameBackground({574, 660, 435, 583});
}

void DrawTimer(int32_t frame) {
    RestoreTimerRect();
    DrawAlphaPicture(TimerSprite, frame, TimerX, TimerY, 1.0f);
}

// The timer picture runs in from its last frame to its first to the sound of pouring.
void PourInAnswerClock() {
    RestoreTimerRect();
    Present();
    gGameOutside.playEffect(EffectPour);
    StartTransition(1000);
    while (!TransitionDone()) {
        uint32_t s = TransitionProgress(15);
        if (s > 14) s = 14;
        DrawTimer(14 - static_cast<int32_t>(s));
        Present();
    }
}

// The time-up message flashes with the first opening frame for a second.
void FlashTimeUp() {
    gGameOutside.playEffect(EffectTimeOut);
    uint32_t start = timeGetTime();
    for (uint32_t elapsed = 0; elapsed < 1000; elapsed = timeGetTime() - start) {
        DrawMessagePanel((elapsed / 100) % 2 == 0 ? PanelOpening1 : PanelTimeUp);
        Present();
    }
}

void DrawQuestionScreenFront() {
    DrawMessagePanel(PanelQuestion);
    DrawAnswerButtons(1, 1);
    gGameOutside.drawQuestionText(QuestionText());
    DrawAnswerClock();
}

int32_t PassesLeftNow() {
    return gGameSession.PassesLeft;
}
int32_t JokersLeftNow() {
    return gGameSession.JokersLeft;
}
}  // namespace

void StartAnswerClock(int32_t ms, bool quiet) {
    if (!quiet) {
        PourInAnswerClock();
        Present();
    }
    ArmAnswerClock(ms);
}

void DrawAnswerClock() {
    // One reading serves the whole frame, so that the picture and the warning agree.
    int32_t left = AnswerTimeLeft();
    if (left <= 0) {
        DrawTimer(14);
        return;
    }
    DrawTimer(AnswerClockFrame(left));
    if (ClockWarningShows(left)) {
        if (StepClockWarning()) gGameOutside.playEffect(EffectTimer);
        int32_t top = gAnswerClock.warnOn ? PanelWarning * MessagePanelFrameHeight
                                          : PanelQuestion * MessagePanelFrameHeight;
        gGameOutside.drawSpritePart(MessagePanelSprite, {70, top, 289, top + 36},
                                    MessagePanelX + 70, MessagePanelY);
    }
    Present();
}

void RedrawQuestionScreen() {
    DrawGameBackground();
    // The touch this poll has tested is forgotten; one that arrives while the screen is drawn
    // stays queued for the next poll, where throwing the queue away would lose the answer.
    TouchPoint = {-1, -1};
    // The grid's own background restore would repaint what was just drawn.
    DrawTeamPictures();
    UpdateJokerCounter(0, false);
    UpdatePassCounter(0, false);
    DrawQuestionScreenFront();
}

void RedrawFinalQuestionScreen() {
    DrawGameBackground();
    DrawBigTeams();
    DrawQuestionScreenFront();
}

ButtonScreens QuestionButtonScreens() {
    ButtonScreens screens{};
    screens.redrawQuestionScreen = RedrawQuestionScreen;
    screens.redrawFinalQuestionScreen = RedrawFinalQuestionScreen;
    screens.passesLeft = PassesLeftNow;
    screens.jokersLeft = JokersLeftNow;
    screens.answerTimeLeft = AnswerTimeLeft;
    return screens;
}

uint8_t QuestionRound(bool final, int32_t grade) {
    uint8_t result = 1;
    bool retryUsed = false;
    bool done = false;
    BumpCounter(CounterQuestionsPut);
    DrawMessagePanel(PanelQuestion);
    DrawAnswerButtons(1, 1);
    StartAnswerClock(AnswerTimeMs, false);
    Present();
    ChooseQuestion(final, grade);
    JournalQuestionPut(final);
    RunAnswerClock();
    const ButtonScreens screens = QuestionButtonScreens();
    while (!done) {
        int32_t code = final ? WaitTrueFalseButton(screens) : WaitTrueFalseJokerButton(screens);
        if (code == ButtonJoker && !final) {
            gGameSession.JokerArmed = true;
            UpdateJokerCounter(1, false);
            JournalJoker();
            gGameOutside.playEffect(EffectJoker);
        } else if (code == ButtonPass && !final) {
            DrawMessagePanel(PanelPassed);
            UpdatePassCounter(1, false);
            JournalVerdictGiven("pass", true);
            gGameOutside.playEffect(EffectSkip);
            WaitOnAnimationTimer(600);
            result = AnswerRight;
            done = true;
        } else if (code == AnswerTimeUp) {
            JournalVerdictGiven("timeout", false);
            FlashTimeUp();
            result = AnswerWrong;
            done = true;
        } else if (code == ButtonTrue || code == ButtonFalse) {
            PauseAnswerClock();
            done = true;
            int32_t answer = code == ButtonTrue ? 1 : 0;
            DrawAnswerButtons(answer == 1 ? 1 : 0, answer == 0 ? 1 : 0);
            Present();
            bool right = answer == CorrectAnswer();
            // The verdict is journaled at the touch, before its effects: a power cut during them
            // resumes the game past this question rather than putting another.
            bool secondTry = gGameSession.RetryOffered && !right && !retryUsed;
            if (!secondTry) {
                if (!right) BumpCounter(CounterWrongAnswers);
                JournalVerdictGiven(answer == 1 ? "true" : "false", right);
            }
            if (secondTry) {
                JournalSecondTry();
                DrawMessagePanel(PanelTryAgain);
                Present();
                gGameOutside.playEffect(EffectTryAgain);
                WaitOnAnimationTimer(600);
                retryUsed = true;
                done = false;
                ResumeAnswerClock();
            } else if (right) {
                gGameOutside.playEffectAndWait(EffectAnswerBuildUp);
                DrawMessagePanel(PanelRight);
                gGameOutside.playEffect(EffectCorrect);
                result = AnswerRight;
            } else {
                gGameOutside.playEffectAndWait(EffectAnswerBuildUp);
                DrawMessagePanel(PanelWrong);
                gGameOutside.playEffect(EffectInCorrect);
                result = AnswerWrong;
            }
            Present();
            WaitOnAnimationTimer(800);
            Present();
        }
    }
    WaitPlain(500);
    SetGameState(result);
    return result;
}

bool AskQuestion() {
    FlushInput();
    DrawTeams();
    UpdateJokerCounter(0, false);
    UpdatePassCounter(0, false);
    Present();
    QuestionRound(false, 0);
    if (GetGameState() == AnswerRight) {
        RemoveTeams();
        gGameSession.TotalTasksCompleted += 1;
    }
    DrawTeams();
    UpdateJokerCounter(0, false);
    UpdatePassCounter(0, false);
    Present();
    return true;
}
