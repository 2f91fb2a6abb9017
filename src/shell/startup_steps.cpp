// The real program's bring-up steps and screens.
#include "display/display.h"
#include "records/audit.h"
#include "shell/startup.h"
#include "shell/timing.h"

namespace {
// Steps whose subsystems are not in the program yet: each keeps the success contract of the step.
bool NoDisplayYet() {
    return true;
}
void NothingToShowYet() {}
bool NoPacksToCheckYet() {
    return true;
}
bool NoSoundYet() {
    return true;
}
void NoImagesToLoadYet() {
    LoadingTick();
}
bool NoMenuYet() {
    return false;
}
void NoGameYet() {}
int NoPrizeYet() {
    return 0;
}
void NoScreenToBlankYet() {}
void NoImagesToReleaseYet() {}
void NoDisplayToShutYet() {}
}  // namespace

StartupSteps DefaultStartupSteps() {
    StartupSteps steps{};
    steps.initDisplay = NoDisplayYet;
    steps.showLoadingPicture = NothingToShowYet;
    steps.loadAuditRecord = LoadAuditRecord;
    steps.checkQuestionPacks = NoPacksToCheckYet;
    steps.initSound = NoSoundYet;
    steps.loadGameImages = NoImagesToLoadYet;
    steps.crossFadeToMenu = NothingToShowYet;
    steps.runMenu = NoMenuYet;
    steps.playGame = NoGameYet;
    steps.gameWinAmount = NoPrizeYet;
    steps.blankScreen = NoScreenToBlankYet;
    steps.releaseResourceImages = NoImagesToReleaseYet;
    steps.shutdownDisplay = NoDisplayToShutYet;
    return steps;
}
