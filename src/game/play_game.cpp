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
struct GamePicture {
    const char* path;
    int32_t frames;
};

constexpr GamePicture GamePictures[] = {
    {"Graphic_resource//Menu//Bank.tga", 1},
    {"Graphic_resource//Menu//Credit.tga", 1},
    {"Graphic_resource//Menu//MenuButton.bmp", 2},
    {"Graphic_resource//Menu//RulesButton.bmp", 2},
    {"Graphic_resource//Menu//Play-Button.bmp", 2},
    {"Graphic_resource//Menu//InsertCoins.bmp", 2},
    {"Graphic_resource//Main//Hilite.tga", 1},
    {"Graphic_resource//Questions//QuestionsRemaining.tga", 1},
    {"Graphic_resource//Main//smallteams.tga", 50},
    {"Graphic_resource//Main//smallteamsout.tga", 50},
    {"Graphic_resource//Main//bigteams.tga", 50},
    {"Graphic_resource//Main//bigteamsout.tga", 50},
    {"Graphic_resource//Main//SmallPrizes.tga", 8},
    {"Graphic_resource//Main//Box.bmp", 31},
    {"Graphic_resource//Main//Timer.tga", 15},
    {"Graphic_resource//Main//carryon.bmp", 2},
    {"Graphic_resource//Main//collect.bmp", 2},
    {"Graphic_resource//Main//true.bmp", 2},
    {"Graphic_resource//Main//false.bmp", 2},
    {"Graphic_resource//Main//skip.bmp", 7},
    {"Graphic_resource//Main//joker.bmp", 7},
    {"Graphic_resource//Main//EliminationNumbers.bmp", 50},
    {"Graphic_resource//Main//ValuesGreen.tga", 16},
    {"Graphic_resource//Main//ValuesGrey.tga", 16},
    {"Graphic_resource//Main//RoundsGreen.bmp", 7},
};

// Resource images the menu and the game draw: panels, backgrounds, rules and fonts.
constexpr int32_t GameResourceImages[] = {4, 5, 16, 3, 13, 2, 6, 12, 7, 10, 11, 17};
}  // namespace

void LoadGameImages() {
    for (const GamePicture& picture : GamePictures) {
        gGameOutside.loadSprite(picture.path, picture.frames);
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
    gGameOutside.restoreImage(MenuBackgroundImage, 0, 800, 0, 600);
    gGameOutside.stopAllEffects();
    EndWinPlan();
}

int GameWinAmount() {
    return gGameSession.WinAmount;
}
