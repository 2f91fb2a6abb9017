#include "core/messages.h"
#include "credit/balance_panels.h"
#include "display/display.h"
#include "platform/clock.h"
#include "shell/ending.h"
#include "shell/menu.h"
#include "shell/menu_pictures.h"
#include "shell/menu_sound.h"

namespace {
// A touch ends the rules screen only strictly inside the screen: not on its top or left edge.
bool TouchInsideScreen() {
    return TouchPoint.x > 0 && TouchPoint.x < 800 && TouchPoint.y > 0 && TouchPoint.y < 600;
}
}  // namespace

void ShowRules() {
    DrawMenuPicture(MenuPicture::Rules);
    Present();
    gMenuSounds.pauseMainTune();
    gMenuSounds.loopEffect(RulesEffect);

    // A touch made during the Rules press animation is still pending and closes the screen at once.
    Deadline deadline;
    SetDeadline(deadline, static_cast<int32_t>(RulesShownMs));
    for (;;) {
        PumpMessages();
        if (DeadlinePassed(deadline) || TouchInsideScreen() || EndAsked()) break;
        ClockIdle();
    }
    gMenuSounds.playEffect(ClickEffect);

    // The Rules button comes back up on the rules picture before the menu returns.
    RestoreMenuPicture(MenuPicture::Rules, {307, 495, 443, 578});
    Present();
    WaitPumping(200);
    Present();
    WaitPumping(200);

    DrawMenuPicture(MenuPicture::Background);
    DrawMenuSpriteSheet(MainMenuButtonSprite, 33, 465);
    DrawMenuSpriteSheet(RulesButtonSprite, 306, 465);
    DrawPlayOrInsertCoins(InsertCoinsX, InsertCoinsY);
    DrawBankPanel();
    DrawCreditPanel();

    gMenuSounds.stopEffect(RulesEffect);
    gMenuSounds.resumeMainTune();
    Present();
}
