#include "game/buttons.h"

#include "core/messages.h"
#include "core/timing.h"
#include "credit/link.h"
#include "display/display.h"

const ScreenButton MenuButtons[] = {
    {" Main Menu", 0, 449, 185, 129},
    {" Rules", 309, 449, 185, 129},
    {" Start", 609, 390, 185, 188},
    {" Start2", 676, 291, 61, 99},
    {nullptr, 0, 0, 0, 0},
};

const ScreenButton TrueFalseJokerButtons[] = {
    {" True", 493, 440, 67, 67},    {" False", 493, 513, 67, 67}, {" Pass", 6, 466, 122, 122},
    {" Joker", 670, 466, 122, 122}, {nullptr, 0, 0, 0, 0},
};

const ScreenButton TrueFalseButtons[] = {
    {" True", 493, 440, 67, 67},
    {" False", 493, 513, 67, 67},
    {nullptr, 0, 0, 0, 0},
};

ButtonWaitState gButtonWait;

namespace {
constexpr int32_t MenuStart = 2;
constexpr int32_t MenuStart2 = 3;
constexpr int32_t QuestionPass = 2;
constexpr int32_t QuestionJoker = 3;

// The index of the last button holding the pending touch, or -1.
int32_t HitButton(const ScreenButton* list) {
    int32_t hit = -1;
    if (TouchPoint.x < 0) return hit;
    for (int32_t i = 0; i < gButtonWait.count; ++i) {
        if (ButtonContains(list[i], TouchPoint.x, TouchPoint.y)) hit = i;
    }
    return hit;
}

// The menu's poll: idle time-out, frame redraw, credit display, and the stake rule for Start.
int32_t PollMenu(int32_t hit, const ButtonScreens& screens) {
    if (DeadlinePassed(gButtonWait.idleDeadline) || screens.endAsked()) hit = 0;
    screens.drawMenuFrame();
    if (screens.currentCredit() != gButtonWait.lastCreditShown) {
        gButtonWait.lastCreditShown = screens.currentCredit();
        screens.drawCreditPanel();
    }
    if ((hit == MenuStart || hit == MenuStart2) &&
        screens.currentCredit() + screens.currentBank() < GameStake) {
        hit = -1;
        FlushInput();
    }
    Present();
    return hit;
}

// The question screens' poll: redraw, the rule that a help must be there to be played, and the
// answer time-out, which wins over a touch in the same poll.
int32_t PollQuestion(const ScreenButton* list, const ButtonScreens& screens, int32_t hit,
                     bool& timeUp) {
    if (list == TrueFalseJokerButtons) {
        screens.redrawQuestionScreen();
    } else {
        screens.redrawFinalQuestionScreen();
    }
    Present();
    if ((hit == QuestionPass && screens.passesLeft() == 0) ||
        (hit == QuestionJoker && screens.jokersLeft() == 0)) {
        hit = -1;
        FlushInput();
    }
    timeUp = screens.answerTimeLeft() == 0;
    return hit;
}
}  // namespace

bool ButtonContains(const ScreenButton& button, int32_t px, int32_t py) {
    return button.x <= px && px < button.x + button.width && button.y <= py &&
           py < button.y + button.height;
}

int32_t CountButtons(const ScreenButton* list) {
    int32_t count = 0;
    if (!list) return count;
    while (list[count].label) ++count;
    return count;
}

void BeginButtonWait(const ScreenButton* list) {
    gButtonWait.count = CountButtons(list);
    FlushInput();
    SetDeadline(gButtonWait.idleDeadline, MenuIdleMs);
    gButtonWait.lastCreditShown = -1;
    gButtonWait.result = -1;
}

int32_t PollButtons(const ScreenButton* list, const ButtonScreens& screens) {
    PumpMessages();
    int32_t hit = list ? HitButton(list) : -1;
    if (list == MenuButtons) {
        hit = PollMenu(hit, screens);
    } else if (list == TrueFalseJokerButtons || list == TrueFalseButtons) {
        bool timeUp = false;
        hit = PollQuestion(list, screens, hit, timeUp);
        if (timeUp) {
            gButtonWait.result = AnswerTimeUp;
            return AnswerTimeUp;
        }
    } else {
        Present();
    }
    if (hit != -1) FlushInput();
    gButtonWait.result = hit;
    return hit;
}

int32_t WaitForButton(const ScreenButton* list, const ButtonScreens& screens) {
    BeginButtonWait(list);
    while (PollButtons(list, screens) == -1) {
    }
    return gButtonWait.result;
}

int32_t WaitMenuButton(const ButtonScreens& screens) {
    return WaitForButton(MenuButtons, screens);
}

int32_t WaitTrueFalseJokerButton(const ButtonScreens& screens) {
    return WaitForButton(TrueFalseJokerButtons, screens);
}

int32_t WaitTrueFalseButton(const ButtonScreens& screens) {
    return WaitForButton(TrueFalseButtons, screens);
}
