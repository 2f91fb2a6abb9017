// The simulated player and what the simulator counts: it pays for games from
// the menu (putting in a coin when credit and bank are short, and taking its
// money away when they reach the cash-out amount), answers each question right
// with the chance its skill gives for the question's grade, uses its passes on
// questions it does not know and its joker late in the rounds, and leaves by
// Main Menu after the games it was asked to play.
#pragma once
#include <cstdint>
#include <map>

// A player holding the cash-out amount in credit and bank takes it away (an
// attendant pays it out by hand) and the next player starts with a coin; this
// keeps the balances well inside what the menu can show.
constexpr int64_t DefaultCashOut = 2000;
constexpr int64_t LeastCashOut = 200;  // above a coin and what a stake leaves
constexpr int64_t MostCashOut = 9000;  // a prize more still shows on the menu

struct SimSettings {
    uint64_t games = 1000;
    uint32_t seed = 1;
    double skill[3] = {0.7, 0.7, 0.7};  // chance of a right answer for grades 1, 2 and 3
    bool frames = false;                // draw every frame as the cabinet would
    uint16_t servicePort = 0;           // the credit service the game and the player use
    int64_t cashOut = DefaultCashOut;   // pence
};

struct SimTally {
    uint64_t gamesPlayed = 0;
    uint64_t gamesWon = 0;
    uint64_t reachedFinal = 0;
    int64_t prizesPaid = 0;                  // pence
    int64_t inserted = 0;                    // pence put in by the player
    int64_t collected = 0;                   // pence taken away by players
    std::map<int32_t, uint64_t> prizeCount;  // prize in pence (0: nothing won) -> games
    uint64_t bandCount[7] = {};              // payout band at the start of each game
    uint64_t bandMs[7] = {};                 // milliseconds of play by that band
    uint64_t questionsAnswered = 0;
    uint64_t cabinetStarts = 0;
    double bigTeamPrizes = 0;   // prizes of the big teams knocked out in final stages
    double startBalance = 0;    // payout balance as the record was loaded
    double largestBalance = 0;  // largest size of the payout balance seen between games
};
extern SimTally gSimTally;

// Connects the player's own line to the credit service (for coins and
// balances).
bool ConnectPlayerLine(uint16_t port);
void ClosePlayerLine();
// One exchange on the player's line: the number in the reply, or -1.
int64_t PlayerExchange(const char* line);

// Hooks the player into the input, the start-up steps and the game's drawing
// calls.
void InstallSimPlayer(const SimSettings& settings);
