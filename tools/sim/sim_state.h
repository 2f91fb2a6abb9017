// What the simulator knows of the games played: read from the cabinet's own recall after every
// game, so that a run killed and started again on the same folder (--folder) counts each game
// once; with a folder, the player's money and the report's starting figures are kept in
// "sim-state.json" there, each coin or cash-out settled by the balances after a kill.
#pragma once
#include <cstdint>
#include <string>

#include "sim_report.h"

// Reads the state of an earlier run on the folder into the tally and `money`; false when there
// is none (a new run: the caller fills `money`). With an empty folder nothing is kept.
bool LoadSimState(const std::string& folder, SimMoney& money);
// Writes the state (atomically) when a folder is kept; does nothing otherwise.
void SaveSimState();
// Counts the games in the cabinet's recall that the tally has not counted yet (a kill may come
// between a game's recall and the simulator's state), and from then on each game as the
// cabinet records it.
void CountRecalledGames();
// Around each coin or cash-out of the player: the request and the balances just before it;
// then whether the service took it.
void BeforePlayerMove(const char* line, int64_t credit, int64_t bank);
void AfterPlayerMove(bool taken);
// At the start of a run on a kept folder: a coin or cash-out whose reply was cut off by a kill
// is counted when the balances show the service took it.
void SettlePlayerMove();
