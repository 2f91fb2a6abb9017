#include "game/screen_drawing.h"

#include "core/timing.h"
#include "game/message_panel.h"
#include "game/outside.h"
#include "platform/clock.h"

void RestoreGameBackground(const FadeRect& area) {
    gGameOutside.restoreImage(GameBackgroundImage, area);
}

void DrawGameBackground() {
    RestoreGameBackground({0, 800, 0, 600});
}

void DrawKeyedPicture(const char* path, int32_t frame, int32_t x, int32_t y) {
    gGameOutside.drawSprite(path, frame, x, y, false, 1.0f);
}

void DrawAlphaPicture(const char* path, int32_t frame, int32_t x, int32_t y, float opacity) {
    gGameOutside.drawSprite(path, frame, x, y, true, opacity);
}

void DrawMessagePanel(int32_t frame) {
    DrawKeyedPicture(MessagePanelSprite, frame, MessagePanelX, MessagePanelY);
}

void DrawAnswerButtons(int32_t trueFrame, int32_t falseFrame) {
    DrawKeyedPicture(TrueButtonSprite, trueFrame, 493, 440);
    DrawKeyedPicture(FalseButtonSprite, falseFrame, 493, 513);
}

void WaitOnAnimationTimer(uint32_t ms) {
    StartTransition(ms);
    while (!TransitionDone()) ClockIdle();
}

void WaitPlain(uint32_t ms) {
    uint32_t start = timeGetTime();
    while (timeGetTime() - start < ms) ClockIdle();
}
