// The real program's bring-up steps and screens.
#include "core/timing.h"
#include "display/display.h"
#include "display/resource_images.h"
#include "display/screen_changes.h"
#include "display/sprites.h"
#include "game/game.h"
#include "game/packs.h"
#include "records/audit.h"
#include "shell/menu.h"
#include "shell/startup.h"
#include "sound/effects.h"

namespace {
// The display's own shutdown answers false for its callers; the exit path ignores that.
void ShutdownDisplayAtExit() {
    ShutdownImageManager();
    ShutdownDisplay();
}
// A missing pack tears the display down at once, before the exit path releases the rest.
bool CheckQuestionPacksOrShutDown() {
    if (CheckQuestionPacks()) return true;
    gStartup.shutdownDisplay();
    return false;
}
void PlayOneGame() {
    PlayGame();
}
}  // namespace

void LeaveOutDisplay(StartupSteps& steps) {
    steps.initDisplay = [] { return true; };
    steps.showLoadingPicture = [] {};
    steps.loadGameImages = [] {};
    steps.crossFadeToMenu = [] {};
}

StartupSteps DefaultStartupSteps() {
    StartupSteps steps{};
    steps.initDisplay = InitDisplay;
    steps.showLoadingPicture = ShowLoadingPicture;
    steps.loadAuditRecord = LoadAuditRecord;
    steps.checkQuestionPacks = CheckQuestionPacksOrShutDown;
    steps.initSound = InitSound;
    steps.loadGameImages = LoadGameImages;
    steps.crossFadeToMenu = CrossFadeToMenu;
    steps.runMenu = RunMenu;
    steps.playGame = PlayOneGame;
    steps.gameWinAmount = GameWinAmount;
    steps.blankScreen = BlankScreen;
    steps.releaseResourceImages = ReleaseResourceImages;
    steps.shutdownDisplay = ShutdownDisplayAtExit;
    return steps;
}
