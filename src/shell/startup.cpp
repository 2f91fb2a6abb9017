#include "shell/startup.h"

#include <cstdlib>

#include "credit/link.h"
#include "platform/clock.h"
#include "records/audit.h"
#include "records/log.h"
#include "shell/ending.h"
#include "shell/random.h"
#include "shell/timing.h"
#include "shell/window.h"

StartupSteps gStartup = DefaultStartupSteps();

namespace {
// Releases what start-up made and tells the credit service that the game is gone.
int CommonTail(int exitCode) {
    gStartup.releaseResourceImages();
    gStartup.shutdownDisplay();
    SendTerm();
    CloseCreditLink();
    return exitCode;
}

int NormalShutdown() {
    WriteLog("Closing log\n");
    CloseLog();
    gStartup.blankScreen();
    return CommonTail(ExitNormal);
}

void RunMainLoop() {
    // An end asked for at the menu ends the menu; one asked for during a game waits for it.
    while (!EndAsked() && gStartup.runMenu()) {
        MarkGameUnderWay(true);
        if (EndAsked()) EndAskedDuringGame();  // asked as the paid start was being shown
        BumpCounter(static_cast<unsigned>(PayoutBand() + 1));
        uint32_t started = timeGetTime();
        gStartup.playGame();
        uint32_t ended = timeGetTime();
        AddToCounter(39, static_cast<int16_t>((ended - started) / 1000));
        RecordGameResult(gStartup.gameWinAmount());
        SaveAuditRecord();
        MarkGameUnderWay(false);
        WaitDiscardingInput(200);
    }
}
}  // namespace

int WinMain() {
    TouchPoint = {-1, -1};
    GameStake = 50;
    ResetEnding();
    ResetLoadingTick();
    if (!CreateMainWindow()) return ExitWindowFailed;
    if (!CreateCreditSocket()) return ExitSocketFailed;
    if (!ConnectCreditService()) return ExitNoCreditService;
    if (MakeSystemFolders() != 0) std::exit(0);
    OpenLog();
    if (!gStartup.initDisplay()) {
        SendTerm();
        CloseCreditLink();
        return ExitDisplayFailed;
    }
    gStartup.showLoadingPicture();
    gStartup.loadAuditRecord();
    if (!gStartup.checkQuestionPacks()) return CommonTail(ExitPackMissing);
    if (!gStartup.initSound()) return CommonTail(ExitSoundFailed);
    SeedRandom(timeGetTime());
    gStartup.loadGameImages();
    gStartup.crossFadeToMenu();
    RunMainLoop();
    return NormalShutdown();
}
