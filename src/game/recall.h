// The recall of past games: one JSON file a game in "data\recall", named by the game's number,
// written atomically once the game's result is in the audit record; the newest 100 are kept.
// docs/recall-format.md describes the files for their readers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "game/journal.h"

constexpr const char* RecallFolder = "data\\recall";
constexpr int RecallKept = 100;
constexpr int RecallFormat = 1;

// The number for a new game: `fromAudit` (the games bought with it), or one more than the
// highest number in the recall when that is higher (a record lost and started again).
int64_t NextRecallNumber(int64_t fromAudit);
// The recall file's text for a journaled game that has ended.
std::string RecallText(const GameJournal& journal);
// Writes the game's file and removes the oldest beyond the newest 100; false when it could not.
bool WriteRecall(const GameJournal& journal);
// The numbers of the games in a recall folder (operating-system path), oldest first.
std::vector<int64_t> RecallNumbers(const std::string& folder);
// A recall file's name in that folder.
std::string RecallFileName(const std::string& folder, int64_t seq);
