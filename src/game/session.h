// The record of the game in progress, its rival teams and the game's fixed tables: the grid, the
// big-team candidates, the removal template, the prize ladder and the passes at the start.
#pragma once
#include <cstdint>

constexpr int TeamCount = 50;
constexpr int BigTeamCount = 3;
constexpr int RemovalRows = 3;
constexpr int MainRoundCount = 14;  // right answers that clear the grid of ordinary teams

// GameState codes.
constexpr uint8_t GameLost = 0;
constexpr uint8_t GameInPlay = 1;
constexpr uint8_t GameFinalWon = 2;
constexpr uint8_t GameFinalDue = 3;
constexpr uint8_t AnswerWrong = 5;
constexpr uint8_t AnswerRight = 6;

struct Team {
    int32_t x;
    int32_t y;
    int32_t picture;  // frame in the team pictures; equal to the team number
    bool big;         // one of the three big teams, never knocked out in the rounds
    bool standing;    // not yet knocked out
};

struct GameSession {
    uint8_t GameState;
    Team Teams[TeamCount];
    int32_t BigTeams[BigTeamCount];  // team numbers in final-stage order; -1 until set
    int32_t Prizes[BigTeamCount];    // prize of each big team, ascending
    int32_t TeamsToRemove[RemovalRows][MainRoundCount];
    uint8_t RemovalRow;
    int32_t TotalTasksCompleted;  // right or passed answers in the rounds, 0 to 14
    uint8_t PassesLeft;
    uint8_t JokersLeft;
    bool JokerArmed;    // the joker was played on the current question
    bool RetryOffered;  // the current question allows one second try
    int32_t WinAmount;  // the prize won in this game; set to 0 by the purchase
};
extern GameSession gGameSession;

struct ScreenPoint {
    int32_t x;
    int32_t y;
};

// The 50 places of the grid of rival teams (top-left corners), slot 0 to 49.
extern const ScreenPoint GridSlots[TeamCount];
// Team numbers from which the three big teams are taken, in cyclic order.
extern const int32_t BigTeamCandidates[5];
// Ordinary teams knocked out after the right answer that takes the count from k to k + 1.
extern const int32_t TeamsToRemoveTemplate[RemovalRows][MainRoundCount];
// Prizes of the three big teams by payout band, in pence.
extern const int32_t PrizeLadder[7][BigTeamCount];
// Passes at the start of a game by the plan grade that chooses them.
extern const uint8_t PassStart[5];
// Places the teams on grid slots; shuffled again at each set-up, kept between games.
extern int32_t SlotOrder[TeamCount];

// The frame of the prize pictures that shows a prize (0 for any value without its own).
int32_t PrizePicture(int32_t value);

uint8_t GetGameState();
void SetGameState(uint8_t value);

// Resets the record for a new game (everything but WinAmount): prizes by band, helps by plan,
// a removal row, three big teams and a fresh placing of the teams on the grid.
void PrepareGameSession();
// Teams not yet knocked out, big teams included.
int32_t CountStandingTeams();
// Standing teams that are not big.
int32_t CountStandingOrdinaryTeams();
