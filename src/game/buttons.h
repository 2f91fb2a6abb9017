// Touch buttons: fixed lists of screen rectangles, and the waits that poll the pending touch
// against a list until it yields a button index or an event ends the wait.
#pragma once
#include <cstdint>

#include "core/timing.h"

// One button of a list; a row with a null label ends the list.
struct ScreenButton {
    const char* label;
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// The menu: 0 Main Menu, 1 Rules, 2 Start, 3 Start2.
extern const ScreenButton MenuButtons[];
// The main rounds' question screen: 0 True, 1 False, 2 Pass, 3 Joker.
extern const ScreenButton TrueFalseJokerButtons[];
// The final stage's question screen: 0 True, 1 False.
extern const ScreenButton TrueFalseButtons[];

// Result of a true/false wait when the answer time ran out.
constexpr int32_t AnswerTimeUp = 4;
// The menu wait ends as if Main Menu were touched this long after it began.
constexpr int32_t MenuIdleMs = 30000;

// The one button wait of the process; waits do not nest.
struct ButtonWaitState {
    int32_t count = 0;             // buttons in the current list
    Deadline idleDeadline = 0;     // when the menu wait gives up
    int32_t lastCreditShown = -1;  // credit the menu wait last drew; -1 = none yet
    int32_t result = -1;           // -1 while the wait goes on
};
extern ButtonWaitState gButtonWait;

// What a wait's poll draws and asks, named by the caller of the wait. The menu's list uses the
// first five (its frame, the credit link's balances and panel, and whether an end was asked
// for); the question lists use the rest (their screens' redraws, the help counts and the answer
// clock, which reads 0 once the time is up).
struct ButtonScreens {
    void (*drawMenuFrame)();
    uint16_t (*currentCredit)();
    uint16_t (*currentBank)();
    void (*drawCreditPanel)();
    bool (*endAsked)();
    void (*redrawQuestionScreen)();
    void (*redrawFinalQuestionScreen)();
    int32_t (*passesLeft)();
    int32_t (*jokersLeft)();
    int32_t (*answerTimeLeft)();
};

// True when (px, py) lies inside the button (right and bottom edges excluded).
bool ButtonContains(const ScreenButton& button, int32_t px, int32_t py);
// Counts the rows before the end row.
int32_t CountButtons(const ScreenButton* list);

// Prepares a wait over the list: discards any pending touch and starts the idle period.
void BeginButtonWait(const ScreenButton* list);
// One poll: pumps, hit-tests, redraws and presents the list's screen; -1 while nothing happened.
int32_t PollButtons(const ScreenButton* list, const ButtonScreens& screens);
// Polls until a result other than -1 and returns it.
int32_t WaitForButton(const ScreenButton* list, const ButtonScreens& screens);

int32_t WaitMenuButton(const ButtonScreens& screens);
int32_t WaitTrueFalseJokerButton(const ButtonScreens& screens);
int32_t WaitTrueFalseButton(const ButtonScreens& screens);
