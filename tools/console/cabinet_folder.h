// What the console reads from the cabinet's working folder: the audit record, the log's events
// the recall of past games and the balance history. Only these fixed names under the folder are
// ever opened.
#pragma once
#include <string>
#include <vector>

#include "records/audit.h"

struct AuditReading {
    bool present = false;
    std::string problem;    // why the record cannot be shown, when it cannot
    std::string firstDate;  // MM/DD/YY, as the record keeps it
    AuditRecord record{};
};

// Reads data/pellwarden.rec under the folder without changing it.
AuditReading ReadAudit(const std::string& folder);

enum class EventKind { StartUp, Shutdown, FailedPayment, LatePayment, ResumedGame, Fault };
const char* EventKindName(EventKind kind);

struct CabinetEvent {
    std::string time;  // as the log writes it: "DD/MM/YYYY HH:MM:SS"
    EventKind kind = EventKind::Fault;
    std::string text;
};

// The events in the cabinet's log, oldest first; lines that are none of them are left out.
// `problem` says why there is no log.
std::vector<CabinetEvent> ReadEvents(const std::string& folder, std::string* problem);

// One game of the recall (data/recall/NNNNNNNN.json), as far as the console shows it.
struct RecalledQuestion {
    std::string stage;  // "rounds" or "final"
    std::string statement;
    bool answer = false;  // whether the statement is true
    std::string touch;    // "true", "false", "pass" or "timeout"
    bool secondTry = false, joker = false;
    double seconds = 0;
};
struct RecalledGame {
    long seq = 0;
    std::string start, end;  // local, "YYYY-MM-DDTHH:MM:SS"
    int stake = 50;
    int band = 0;
    std::vector<int> bigTeams;
    int bigTeamsBeaten = 0;
    int prize = 0;
    std::string payment;
    int resumed = 0;
    std::vector<RecalledQuestion> questions;
};
// The recall of past games, oldest first; false with the reason when there is none to show.
// Files that do not parse, or of a later format, are left out.
bool ReadRecall(const std::string& folder, std::vector<RecalledGame>* games, std::string* problem);
// The payout balance after each recalled game, oldest first, worked back from the balance now:
// a game moves it by a quarter of its stake down, and up by each big team's prize beaten and by
// the prize won.
std::vector<double> BalanceHistory(const std::vector<RecalledGame>& games, double balanceNow);

// The payout balance after each game the cabinet recorded in data/balance-history.txt, oldest
// first: the newest `most` games. The last line of a game's number counts (a game resumed after
// a power cut may have been written twice); lines that do not read are passed over. Empty when
// there is no history yet.
struct GameBalance {
    long seq = 0;
    double balance = 0;
};
std::vector<GameBalance> ReadBalanceHistory(const std::string& folder, size_t most);
