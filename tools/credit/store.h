// The credit service's balances and ledger in SQLite (WAL, synchronous FULL): every change is one
// transaction that writes the new balances and a ledger row, durable before it is answered.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "balances.h"
#include "platform/localtime.h"  // UtcNow, the ledger's time stamp
#include "request.h"

struct sqlite3;
struct sqlite3_stmt;

struct LedgerRow {
    int64_t id = 0;
    std::string time;     // UTC, "YYYY-MM-DDTHH:MM:SS.mmmZ"
    std::string client;   // who asked: "address:port"
    std::string request;  // CUSE, BADD, CADD or PAYO
    int64_t amount = 0;
    int64_t credit = 0;  // balances after the change
    int64_t bank = 0;
};

enum class ChangeResult { Done, Refused, StorageFailed };

class CreditStore {
  public:
    CreditStore() = default;
    CreditStore(const CreditStore&) = delete;
    CreditStore& operator=(const CreditStore&) = delete;
    ~CreditStore();

    // Opens (and, unless readOnly, creates) the database; false with a message on failure.
    bool Open(const std::string& path, bool readOnly, std::string* error);
    // The committed balances; false when they cannot be read.
    bool Read(Balances* balances);
    // Applies CUSE, BADD, CADD or PAYO in one durable transaction with its ledger row. Refused
    // (and nothing changed) when the credit plus bank is short, a balance would pass its limit,
    // or a payout names another amount than the bank holds.
    ChangeResult Apply(const Request& request, const std::string& client, Balances* after,
                       std::string* error);
    // The last `count` ledger rows, oldest first.
    bool LastChanges(int64_t count, std::vector<LedgerRow>* rows, std::string* error);

  private:
    bool Execute(const char* sql, std::string* error);
    sqlite3* db_ = nullptr;
    sqlite3_stmt* readBalances_ = nullptr;
    sqlite3_stmt* writeBalances_ = nullptr;
    sqlite3_stmt* addLedgerRow_ = nullptr;
};
