#include "game/session.h"

#include <cstring>

#include "core/random.h"
#include "records/audit.h"

GameSession gGameSession;

const ScreenPoint GridSlots[TeamCount] = {
    {0, 59},    {80, 59},   {160, 59},  {240, 59},  {320, 59},  {400, 59},  {480, 59},  {560, 59},
    {640, 59},  {720, 59},  {0, 118},   {80, 118},  {160, 118}, {240, 118}, {320, 118}, {400, 118},
    {480, 118}, {560, 118}, {640, 118}, {720, 118}, {0, 178},   {80, 178},  {160, 178}, {240, 178},
    {320, 178}, {400, 178}, {480, 178}, {560, 178}, {640, 178}, {720, 178}, {0, 238},   {80, 238},
    {160, 238}, {240, 238}, {480, 238}, {560, 238}, {640, 238}, {720, 238}, {0, 297},   {80, 297},
    {160, 297}, {560, 297}, {640, 297}, {720, 297}, {0, 358},   {80, 358},  {160, 358}, {560, 358},
    {640, 358}, {720, 358}};

const int32_t BigTeamCandidates[5] = {3, 4, 33, 35, 37};

const int32_t TeamsToRemoveTemplate[RemovalRows][MainRoundCount] = {
    {1, 2, 2, 2, 2, 3, 3, 4, 4, 4, 5, 5, 5, 5},
    {1, 2, 2, 3, 3, 3, 3, 3, 4, 4, 4, 5, 5, 5},
    {1, 2, 2, 2, 3, 3, 3, 3, 4, 4, 5, 5, 5, 5}};

const int32_t PrizeLadder[7][BigTeamCount] = {{50, 100, 150},  {50, 100, 150},  {100, 150, 200},
                                              {100, 200, 300}, {200, 400, 500}, {300, 400, 500},
                                              {400, 500, 600}};

const uint8_t PassStart[5] = {1, 1, 1, 2, 2};

int32_t SlotOrder[TeamCount] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                                17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33,
                                34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49};

int32_t PrizePicture(int32_t value) {
    switch (value) {
        case 100:
            return 1;
        case 150:
            return 2;
        case 200:
            return 3;
        case 300:
            return 4;
        case 400:
            return 5;
        case 500:
            return 6;
        case 600:
            return 7;
        default:
            return 0;
    }
}

uint8_t GetGameState() {
    return gGameSession.GameState;
}

void SetGameState(uint8_t value) {
    gGameSession.GameState = value;
}

void PrepareGameSession() {
    GameSession& s = gGameSession;
    int band = PayoutBand();
    if (band < 0 || band > 6) band = 6;
    std::memcpy(s.TeamsToRemove, TeamsToRemoveTemplate, sizeof s.TeamsToRemove);
    s.RetryOffered = true;
    s.TotalTasksCompleted = 0;
    s.JokerArmed = false;
    s.PassesLeft = 0;
    s.JokersLeft = 0;
    s.RemovalRow = static_cast<uint8_t>(RandomBelow(RemovalRows));
    for (int i = 0; i < BigTeamCount; ++i) {
        s.Prizes[i] = PrizeLadder[band][i];
        s.BigTeams[i] = -1;
    }
    s.JokersLeft = 1;
    // A plan grade outside the table gives the smaller number of passes.
    int grade = gWinPlan.grade[5];
    s.PassesLeft = (grade >= 0 && grade < 5) ? PassStart[grade] : PassStart[0];
    for (int i = 0; i < TeamCount; ++i) {
        s.Teams[i] = Team{GridSlots[i].x, GridSlots[i].y, i, false, true};
    }
    uint32_t r = RandomBelow(5);
    for (int q = 0; q < BigTeamCount; ++q) {
        s.BigTeams[q] = BigTeamCandidates[(r + q) % 5];
        s.Teams[s.BigTeams[q]].big = true;
    }
    ShuffleInts(SlotOrder, TeamCount);
    for (int i = 0; i < TeamCount; ++i) {
        s.Teams[i].x = GridSlots[SlotOrder[i]].x;
        s.Teams[i].y = GridSlots[SlotOrder[i]].y;
    }
    s.GameState = GameInPlay;
}

int32_t CountStandingTeams() {
    int32_t n = 0;
    for (const Team& t : gGameSession.Teams) n += t.standing ? 1 : 0;
    return n;
}

int32_t CountStandingOrdinaryTeams() {
    int32_t n = 0;
    for (const Team& t : gGameSession.Teams) n += (t.standing && !t.big) ? 1 : 0;
    return n;
}
