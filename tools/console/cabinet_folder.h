// What the console reads from the cabinet's working folder: the audit record, the log's events
// and the recall of past games. Only these fixed names under the folder are ever opened.
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

// One game of the recall, as far as the console shows it.
struct RecalledQuestion {
    std::string statement;
    std::string rightAnswer;   // "true" or "false"
    std::string playerAnswer;  // "true", "false", "pass", "joker", "time-out"
    double seconds = 0;
};
struct RecalledGame {
    std::string started;
    int band = -1;
    bool haveBalance = false;
    double balanceAfter = 0;
    long prize = 0;
    std::string payment;
    std::vector<RecalledQuestion> questions;
};
// The recall of past games, oldest first; false with the reason when there is none to show.
bool ReadRecall(const std::string& folder, std::vector<RecalledGame>* games, std::string* problem);
