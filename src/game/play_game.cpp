#include "core/messages.h"
#include "core/timing.h"
#include "credit/link.h"
#include "display/display.h"
#include "game/final_stage.h"
#include "game/game.h"
#include "game/journal.h"
#include "game/message_panel.h"
#include "game/outside.h"
#include "game/question_round.h"
#include "game/removal.h"
#include "game/screen_drawing.h"
#include "game/session.h"
#include "records/audit.h"
#include "sound/effect_ids.h"

namespace {
// Resource images the menu and the game draw: panels, backgrounds, rules and fonts.
constexpr int32_t GameResourceImages[] = {
    CreditBlankImage,    BankBlankImage,     MenuBackgroundImage, RulesImage,
    GameBackgroundImage, TransparencyImage,  Font1Image,          AmountFontImage,
    Font2Image,          PointsBoxFontImage, WinPlanFontImage,    TimerBackgroundImage};
}  // namespace

void LoadGameImages() {
    for (const GameSprite& sprite : GameSprites) {
        gGameOutside.loadSprite(sprite.path, sprite.frames);
        LoadingTick();
    }
    for (int32_t id : GameResourceImages) {
        gGameOutside.loadResourceImage(id);
        LoadingTick();
    }
}

void SetUpGame() {
    PrepareGameSession();
    JournalGameSetUp();
    FlushInput();
    DrawGameBackground();
    DrawMessagePanel(PanelOpening1);
    Present();
    WaitOrTouch(500);
    gGameOutside.playEffect(EffectGlass);
    DrawTeams();
    DrawMessagePanel(PanelOpening2);
    Present();
    WaitOrTouch(10000);
    gGameOutside.playEffect(EffectGlass);
    DrawMessagePanel(PanelOpening3);
    Present();
    WaitOrTouch(1000);
}

void RunRounds() {
    SetUpGame();
    RunQuestions();
}

void RunQuestions() {
    for (;;) {
        AskQuestion();
        gGameSession.RetryOffered = false;
        if (GetGameState() != AnswerWrong) JournalRoundSettled();
        if (GetGameState() == AnswerWrong) {
            SetGameState(GameLost);
            return;
        }
        if (gGameSession.TotalTasksCompleted >= MainRoundCount) {
            SetGameState(GameFinalDue);
            return;
        }
        if (GetGameState() == GameLost) return;
    }
}

void ShowGameOverScreen() {
    gGameOutside.playEffect(EffectGameOver);
    DrawMessagePanel(PanelGameOver);
    Present();
    WaitOrTouch(3000);
}

void ShowWinScreen(int32_t amount) {
    FlushInput();
    gGameOutside.stopAllEffects();
    gGameOutside.stopMusic();
    gGameOutside.playEffect(EffectPour);
    Present();
    int32_t frame = WinPanelFrame(amount);
    if (frame >= 0) DrawMessagePanel(frame);
    gGameOutside.playEffect(EffectCashWinplan);
    Present();
    gGameOutside.payPrize(static_cast<int16_t>(amount));
    JournalGameEnded(amount, PaymentName(LastPrizeOutcome()));
    WaitOrTouch(5000);
}

int PlayGame() {
    PickWinPlan(GamesBought());
    RunRounds();
    if (GetGameState() == GameFinalDue) RunFinalStage();
    EndGame();
    return 0;
}

void EndGame() {
    if (GetGameState() == GameLost) {
        gGameSession.WinAmount = 0;
        JournalGameEnded(0, "none");
        ShowGameOverScreen();
    } else if (GetGameState() == GameFinalWon) {
        ShowWinScreen(gGameSession.WinAmount);
    }
    gGameOutside.restoreImage(MenuBackgroundImage, {0, 800, 0, 600});
    gGameOutside.stopAllEffects();
    EndWinPlan();
}

int GameWinAmount() {
    return gGameSession.WinAmount;
}
