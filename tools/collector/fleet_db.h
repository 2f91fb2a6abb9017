// The fleet's PostgreSQL database through libpq: schema migrations from numbered files, batches of
// messages stored in one transaction each, and the queries of the fleet view and its report.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct pg_conn;

struct Incoming {
    std::string cabinet;
    int64_t seq = 0;
    std::string kind;
    std::string sentAt;  // the envelope's UTC time
    std::string body;    // JSON object
};

struct StatusChange {
    std::string cabinet;
    std::string state;  // online, offline
};

struct Rejected {
    std::string topic, payload, reason;
};

class FleetDb {
  public:
    FleetDb() = default;
    FleetDb(const FleetDb&) = delete;
    FleetDb& operator=(const FleetDb&) = delete;
    ~FleetDb();

    bool Connect(const std::string& url, std::string* error);
    // Applies the numbered files (NNN_name.sql) of `folder` not applied yet, each in its own
    // transaction, in order; refuses a database newer than the files.
    bool Migrate(const std::string& folder, std::vector<std::string>* applied, std::string* error);
    // Stores a batch in one transaction; a message already stored changes nothing.
    bool Store(const std::vector<Incoming>& messages, const std::vector<StatusChange>& statuses,
               const std::vector<Rejected>& rejected, std::string* error);
    // Runs a query whose result is text cells; false with a message.
    bool Query(const std::string& sql, const std::vector<std::string>& params,
               std::vector<std::vector<std::string>>* rows, std::string* error);
    bool Connected() const;

  private:
    bool Exec(const std::string& sql, std::string* error);
    pg_conn* conn_ = nullptr;
    bool staging_ = false;
};

// A UTC time as the envelope carries it ("YYYY-MM-DDTHH:MM:SS[.fff]Z").
bool IsEnvelopeTime(const std::string& text);
// A text field for COPY's text format.
std::string CopyEscape(const std::string& text);
