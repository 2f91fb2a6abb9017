#include "shell/startup.h"

#include <cstdlib>

#include "core/messages.h"
#include "core/random.h"
#include "core/timing.h"
#include "credit/link.h"
#include "display/display.h"
#include "game/balance_history.h"
#include "game/journal.h"
#include "game/recall.h"
#include "platform/clock.h"
#include "records/audit.h"
#include "records/log.h"
#include "shell/ending.h"
#include "shell/main_window.h"

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

// A game from its paid start (or its resumption) to its return, or to an end asked for during
// it that left the game in its journal; false in that case.
template <typename Play>
bool PlayUnlessLeft(Play play) {
    MarkGameUnderWay(true);
    try {
        if (EndAsked()) EndAskedDuringGame();  // asked as the paid start was being shown
        play();
    } catch (const GameLeftInJournal&) {
        MarkGameUnderWay(false);
        return false;
    }
    MarkGameUnderWay(false);
    return true;
}

void RunMainLoop() {
    // An end asked for at the menu ends the menu; one asked for during a game ends it too, the
    // game staying in its journal (or, with no journal on disk, once the game is over).
    while (!EndAsked() && gStartup.runMenu()) {
        if (!PlayUnlessLeft(PlayPaidGame)) return;
        WaitDiscardingInput(200);
    }
}
}  // namespace

void PlayPaidGame() {
    BumpCounter(CounterAt(CounterGamesStartedAtBand, PayoutBand()));
    uint32_t started = timeGetTime();
    gStartup.playGame();
    uint32_t ended = timeGetTime();
    FinishGame(gStartup.gameWinAmount(), static_cast<int16_t>((ended - started) / 1000));
}

void FinishGame(int32_t prize, int16_t seconds) {
    AddToCounter(CounterSecondsOfPlay, seconds);
    RecordGameResult(prize);
    if (!SaveAuditRecord() && JournalEnabled())
        WriteLog("Audit record: could not be written after game %lld\n",
                 static_cast<long long>(gJournal.seq));
    if (!gJournal.open) return;
    gJournal.prize = prize;
    if (gJournal.end.empty()) gJournal.end = RecallTimeNow();
    WriteRecall(gJournal);
    AppendBalanceHistory(gJournal.seq, gAuditRecord.balance[0]);
    if (gOnGameRecorded) gOnGameRecorded(gJournal);
    RemoveJournal();
}

int WinMain() {
    // The journal keeps the games of the program's own run, and only of it.
    EnableJournal(true);
    int exitCode = RunCabinet();
    EnableJournal(false);
    return exitCode;
}

int RunCabinet() {
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
    // A game that a power cut interrupted is played on before the menu (an end asked for during
    // start-up leaves its journal alone).
    if (EndAsked()) return NormalShutdown();
    bool resumed = false;
    if (!PlayUnlessLeft([&resumed] { resumed = ResumeUnfinishedGame(); })) return NormalShutdown();
    if (resumed) WaitDiscardingInput(200);
    RunMainLoop();
    return NormalShutdown();
}
