// A journaled game taken up again where it stood: the grid or the big teams as they were, the
// verdict on the last question carried out, then the game played on with a fresh question.
#include "core/messages.h"
#include "core/timing.h"
#include "display/display.h"
#include "game/final_stage.h"
#include "game/game.h"
#include "game/helps.h"
#include "game/journal.h"
#include "game/message_panel.h"
#include "game/question_round.h"
#include "game/removal.h"
#include "game/screen_drawing.h"
#include "game/session.h"
#include "records/audit.h"

namespace {
void ShowGrid() {
    FlushInput();
    DrawGameBackground();
    DrawTeams();
    UpdateJokerCounter(0, false);
    UpdatePassCounter(0, false);
    DrawMessagePanel(PanelOpening3);
    Present();
    WaitOrTouch(1000);
}

void ResumeRounds(JournalVerdict verdict) {
    ShowGrid();
    if (verdict == JournalVerdict::Wrong) {
        SetGameState(GameLost);
        return;
    }
    if (verdict == JournalVerdict::Right) {
        RemoveTeams();
        gGameSession.TotalTasksCompleted += 1;
        gGameSession.RetryOffered = false;
        JournalRoundSettled();
    }
    SetGameState(GameInPlay);
    if (gGameSession.TotalTasksCompleted >= MainRoundCount)
        SetGameState(GameFinalDue);
    else
        RunQuestions();
    if (GetGameState() == GameFinalDue) RunFinalStage();
}

void ResumeFinal(JournalVerdict verdict, int beaten) {
    FlushInput();
    DrawGameBackground();
    DrawBigTeams();
    Present();
    WaitOrTouch(1000);
    bool over = verdict == JournalVerdict::Wrong;
    if (verdict == JournalVerdict::Right && beaten < BigTeamCount) {
        gGameSession.Teams[gGameSession.BigTeams[beaten]].standing = false;
        AddWholeToBalance(0, static_cast<int16_t>(gGameSession.Prizes[beaten]));
        beaten += 1;
        JournalFinalSettled(beaten);
        DrawBigTeams();
        Present();
    }
    SetGameState(GameInPlay);
    RunFinalQuestions(beaten, over);
}
}  // namespace

void ResumeGameInPlay() {
    JournalVerdict verdict = gJournal.verdict;
    gJournal.questionOpen = false;
    if (gJournal.phase == JournalPhase::Final)
        ResumeFinal(verdict, gJournal.beaten);
    else
        ResumeRounds(verdict);
    EndGame();
}
