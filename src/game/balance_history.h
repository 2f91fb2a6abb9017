// The payout balance after each finished game, for the operator's plot over the last 1,000 games
// (the recall keeps only 100): "data\balance-history.txt", one line a game, "SEQ BALANCE\n",
// appended and flushed to the disk when the game's result is in the audit record. It keeps the
// newest 1,000 games at least: past 40 KB it is rewritten atomically with the newest 1,000. A line
// cut short by a power cut is dropped before the next line is written. A game whose line was
// written before the power went may be written again on resuming: readers keep the last line of a
// number. docs/recall-format.md describes the file for its readers.
#pragma once
#include <cstdint>

constexpr const char* BalanceHistoryFile = "data\\balance-history.txt";
constexpr int BalanceHistoryKept = 1000;

// Appends the balance after game `seq`; false when it could not be written (the game goes on).
bool AppendBalanceHistory(int64_t seq, float balance);
