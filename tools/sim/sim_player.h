// The simulated player and what the simulator counts: it pays for games from
// the menu (putting in a coin when credit and bank are short), answers each
// question right with the chance its skill gives for the question's grade, uses
// its passes on questions it does not know and its joker late in the rounds,
// and leaves by Main Menu after the games it was asked to play.
#pragma once
#include <cstdint>
#include <map>

struct SimSettings {
    uint64_t games = 1000;
    uint32_t seed = 1;
    double skill[3] = {0.7, 0.7, 0.7};  // chance of a right answer for grades 1, 2 and 3
    bool frames = false;                // draw every frame as the cabinet would
    uint16_t servicePort = 0;           // the credit service the game and the player use
};

struct SimTally {
    uint64_t gamesPlayed = 0;
    uint64_t reachedFinal = 0;
    int64_t prizesPaid = 0;                  // pence
    int64_t inserted = 0;                    // pence put in by the player
    std::map<int32_t, uint64_t> prizeCount;  // prize in pence (0: nothing won) -> games
    uint64_t bandCount[7] = {};              // payout band at the start of each game
    uint64_t questionsAnswered = 0;
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
