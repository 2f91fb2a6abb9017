// The agent's outbox in SQLite: every message waits here, numbered, until the collector confirms
// it has stored it. The sources' read positions (cursors) move in the same transaction as the
// messages they produced, so a crash neither loses a message nor makes it twice.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;

struct Draft {
    std::string kind;  // heartbeat, game, ledger, meters, fault
    std::string body;  // a JSON object
};

struct OutMessage {
    int64_t seq = 0;
    std::string kind;
    std::string payload;  // the whole envelope, as published
};

enum class EnqueueResult { Added, Full, Failed };

class Outbox {
  public:
    Outbox() = default;
    Outbox(const Outbox&) = delete;
    Outbox& operator=(const Outbox&) = delete;
    ~Outbox();

    // Opens or creates the outbox of this cabinet, holding at most `limit` messages.
    bool Open(const std::string& path, const std::string& cabinet, int64_t limit,
              std::string* error);
    std::string Cursor(const std::string& name, const std::string& fallback = "");
    // Adds the drafts, numbered from the next sequence number, and sets the cursors, in one
    // durable transaction. When the outbox would pass its limit the oldest heartbeats go first
    // (*note says how many); when that is not enough, new heartbeats are dropped and anything
    // else is refused (Full: nothing added, cursors kept, so the source is read again later).
    EnqueueResult Enqueue(const std::vector<Draft>& drafts,
                          const std::vector<std::pair<std::string, std::string>>& cursors,
                          std::string* note);
    // Messages not yet taken by the broker, oldest first.
    std::vector<OutMessage> Unsent(size_t limit);
    // The broker took these messages (PUBACK): they wait for the collector's confirmation.
    void MarkSent(const std::vector<int64_t>& seqs);
    // The collector stored these messages: they leave the outbox.
    void Confirm(const std::vector<std::pair<int64_t, int64_t>>& ranges);
    // Messages the broker took but the collector has not confirmed are sent again: all of them,
    // or those sent more than `seconds` ago. Returns how many.
    int64_t Resend(int64_t olderThanSeconds);
    int64_t Count();
    // How many more messages fit, counting the heartbeats that would make way.
    int64_t Room();
    int64_t LastSeq();

  private:
    bool Exec(const char* sql, std::string* error = nullptr);
    int64_t Scalar(const char* sql, int64_t fallback);
    sqlite3* db_ = nullptr;
    std::string cabinet_;
    int64_t limit_ = 0;
};

// The envelope every fleet message travels in.
std::string Envelope(const std::string& cabinet, int64_t seq, const std::string& kind,
                     const std::string& time, const std::string& body);
