// What the agent reads on the cabinet, each source from where it stopped: the credit service's
// ledger (read-only), the recall of finished games with a meter snapshot after each, fault lines
// of the cabinet's log, and a heartbeat.
#pragma once
#include <cstdint>
#include <string>

#include "outbox.h"

struct sqlite3;

class Sources {
  public:
    // `folder`: the cabinet's working folder; `creditDb`: the credit service's database, or "".
    Sources(std::string folder, std::string creditDb);
    Sources(const Sources&) = delete;
    Sources& operator=(const Sources&) = delete;
    ~Sources();

    // Each queues what is new; false when the outbox refused it (it is read again later).
    bool PollLedger(Outbox& outbox);
    bool PollGames(Outbox& outbox);
    bool PollLog(Outbox& outbox);
    void Heartbeat(Outbox& outbox, int64_t agentSeconds);
    // A note for the agent's log from the last poll ("" when none).
    std::string TakeNote();

  private:
    bool Queue(Outbox& outbox, const std::vector<Draft>& drafts,
               const std::vector<std::pair<std::string, std::string>>& cursors);
    std::string MeterSnapshot(int64_t afterGame);
    std::string folder_, creditDb_;
    sqlite3* credit_ = nullptr;
    std::string note_;
    std::string cabinetVersion_;
};

// True when a line of the cabinet's log reports a fault.
bool IsFaultLine(const std::string& line);
