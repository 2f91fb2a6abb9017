#include <initializer_list>

#include "core/random.h"
#include "game/removal.h"
#include "game/session.h"

namespace {
// Lowers the listed later entries of the row by one each.
void LowerEntries(int32_t* row, int a, int b, int c = -1, int d = -1) {
    for (int k : {a, b, c, d})
        if (k >= 0) --row[k];
}

// The joker's extra teams for a step of `count` ordinary removals, paid back from later steps.
int32_t JokerExtra(int32_t& count, int32_t* row, int rowIndex, int32_t task) {
    switch (count) {
        case 1:
            row[13] = 4;
            return 1;
        case 2:
            if (rowIndex == 0) LowerEntries(row, 5, 7);
            if (rowIndex == 1) LowerEntries(row, 3, 8);
            if (rowIndex == 2) LowerEntries(row, 4, 8);
            return 2;
        case 3:
            if (rowIndex == 0) LowerEntries(row, 7, 8, 10);
            if (rowIndex == 1) LowerEntries(row, 8, 9, 11);
            if (rowIndex == 2) LowerEntries(row, 8, 10, 11);
            return 3;
        case 4:
            if (rowIndex == 1) {
                LowerEntries(row, 11, 12, 13);
                return 3;
            }
            LowerEntries(row, 10, 11, 12, 13);
            return 4;
        case 5:
            if (task == 13) {
                if (ChancePercent(50)) {
                    count = 3;
                    return 2;
                }
                count = 2;
                return 3;
            }
            row[13] = 4;
            return 3;
        default:
            return 0;
    }
}
}  // namespace

RemovalStep PlanRemoval() {
    GameSession& s = gGameSession;
    RemovalStep step{0, 0};
    int rowIndex = s.RemovalRow < RemovalRows ? s.RemovalRow : 0;
    int32_t task = s.TotalTasksCompleted;
    if (task < 0 || task >= MainRoundCount) return step;
    int32_t* row = s.TeamsToRemove[rowIndex];
    step.lToRemove = row[task];
    if (s.JokerArmed) step.lJokerToRemove = JokerExtra(step.lToRemove, row, rowIndex, task);
    int32_t room = CountStandingTeams() - BigTeamCount;
    if (step.lToRemove > room) step.lToRemove = room;
    return step;
}

int32_t KnockOutTeam() {
    if (CountStandingOrdinaryTeams() == 0) return -1;
    int32_t t;
    do {
        t = static_cast<int32_t>(RandomBelow(TeamCount));
    } while (!gGameSession.Teams[t].standing || gGameSession.Teams[t].big);
    gGameSession.Teams[t].standing = false;
    return t;
}
