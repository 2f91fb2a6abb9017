#include "shell/menu.h"

#include "credit/balance_panels.h"
#include "credit/link.h"
#include "display/display.h"
#include "game/buttons.h"
#include "game/journal.h"
#include "game/session.h"
#include "shell/ending.h"
#include "shell/menu_pictures.h"
#include "shell/menu_sound.h"

const MenuButtonPlace MenuButtonPlaces[MenuButtonPlaceCount] = {
    {MainMenuButtonSprite, 0, 443},
    {RulesButtonSprite, 307, 443},
    {PlayButtonSprite, 607, 395},
};

Deadline gMenuRedrawDeadline = 0;

namespace {
constexpr int32_t MainMenuChoice = 0;
constexpr int32_t RulesChoice = 1;
constexpr int32_t StartChoice = 2;
constexpr int32_t Start2Choice = 3;
constexpr uint32_t PressHalfMs = 200;
// The press animation restores this much background under a button.
constexpr int32_t ButtonAreaWidth = 188;
constexpr int32_t ButtonAreaHeight = 135;

bool MoneyShort() {
    return CurrentCredit() + CurrentBank() < GameStake;
}

// What the menu's button wait draws and asks.
ButtonScreens MenuButtonScreens() {
    ButtonScreens screens{};
    screens.drawMenuFrame = DrawMenuFrame;
    screens.currentCredit = CurrentCredit;
    screens.currentBank = CurrentBank;
    screens.drawCreditPanel = DrawCreditPanel;
    screens.endAsked = EndAsked;
    return screens;
}

// The two buttons on the left at their usual places, up.
void DrawMenuButtonsUp() {
    DrawMenuSpriteFrame(RulesButtonSprite, 0, MenuButtonPlaces[1].x, MenuButtonPlaces[1].y);
    DrawMenuSpriteFrame(MainMenuButtonSprite, 0, MenuButtonPlaces[0].x, MenuButtonPlaces[0].y);
}
}  // namespace

void DrawPlayOrInsertCoins(int32_t signX, int32_t signY) {
    if (MoneyShort()) {
        DrawMenuSpriteFrame(InsertCoinsSprite, 1, signX, signY);
    } else {
        DrawMenuSpriteFrame(PlayButtonSprite, 0, MenuButtonPlaces[2].x, MenuButtonPlaces[2].y);
    }
}

bool RunMenu() {
    DrawMenuButtonsUp();
    DrawPlayOrInsertCoins(InsertCoinsX, InsertCoinsY);
    DrawBankPanel();
    DrawCreditPanel();
    gMenuSounds.playMainTune(27, 60000);
    int32_t choice;
    do {
        Present();
        choice = WaitMenuButton(MenuButtonScreens());
        if (choice == RulesChoice) {
            gMenuSounds.playEffect(ClickEffect);
            AnimateButtonPress(RulesChoice);
            ShowRules();
        }
        if (choice == StartChoice || choice == Start2Choice) {
            gGameSession.WinAmount = 0;  // a new game's prize starts at nothing
            if (TakeStake()) {
                JournalStakeTaken();
                DrawBankPanel();
                DrawCreditPanel();
                Present();
                gMenuSounds.playEffect(ClickEffect);
                AnimateButtonPress(StartChoice);
                return true;
            }
            JournalStakeRefused();
            choice = RulesChoice;  // a refused stake leaves the menu waiting
        }
    } while (choice == RulesChoice);
    gMenuSounds.stopAllEffects();
    gMenuSounds.stopMainTune();
    if (EndAsked()) return false;  // nothing was touched: no press is shown
    gMenuSounds.playEffect(ClickEffect);
    AnimateButtonPress(MainMenuChoice);
    WaitPumping(500);
    return false;
}

void DrawMenuFrame() {
    if (DeadlinePassed(gMenuRedrawDeadline)) {
        SetDeadline(gMenuRedrawDeadline, 500);
        RestoreMenuPicture(MenuPicture::Background, {0, 800, 0, 530});
    }
    DrawCreditPanel();
    DrawBankPanel();
    RestoreMenuPicture(MenuPicture::Background, {0, 800, 425, 600});
    DrawMenuButtonsUp();
    DrawPlayOrInsertCoins(MenuButtonPlaces[2].x, MenuButtonPlaces[2].y);
}

void AnimateButtonPress(int32_t i) {
    if (i < 0 || i >= MenuButtonPlaceCount) return;
    const MenuButtonPlace& place = MenuButtonPlaces[i];
    RestoreMenuPicture(MenuPicture::Background,
                       {place.x, place.x + ButtonAreaWidth, place.y, place.y + ButtonAreaHeight});
    DrawMenuSpriteFrame(place.sprite, 1, place.x, place.y);
    Present();
    WaitPumping(PressHalfMs);
    DrawMenuSpriteFrame(place.sprite, 0, place.x, place.y);
    Present();
    WaitPumping(PressHalfMs);
}
