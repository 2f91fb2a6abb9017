#include "shell/ending.h"

#include "game/journal.h"
#include "records/log.h"

namespace {
bool gEndAsked = false;
bool gGameUnderWay = false;
}  // namespace

void AskToEnd(int signal) {
    if (gEndAsked) return;
    gEndAsked = true;
    WriteLog("Asked to end by signal %d\n", signal);
    if (gGameUnderWay) EndAskedDuringGame();
}

bool EndAsked() {
    return gEndAsked;
}

void ResetEnding() {
    gEndAsked = false;
    gGameUnderWay = false;
}

void MarkGameUnderWay(bool underWay) {
    gGameUnderWay = underWay;
}

bool GameUnderWay() {
    return gGameUnderWay;
}

void EndAskedDuringGame() {
    if (JournalOnDisk()) {
        WriteLog(
            "A game is under way: game %lld is kept in the game journal and resumes at the "
            "next start\n",
            static_cast<long long>(gJournal.seq));
        throw GameLeftInJournal{};
    }
    WriteLog("A game is under way: it is played to its end before the cabinet ends\n");
}
