#include "store.h"

#include <sqlite3.h>

namespace {
constexpr const char* Schema =
    "CREATE TABLE IF NOT EXISTS balances ("
    " id INTEGER PRIMARY KEY CHECK (id = 1),"
    " credit INTEGER NOT NULL CHECK (credit BETWEEN 0 AND 2147483647),"
    " bank INTEGER NOT NULL CHECK (bank BETWEEN 0 AND 2147483647));"
    "INSERT OR IGNORE INTO balances (id, credit, bank) VALUES (1, 0, 0);"
    "CREATE TABLE IF NOT EXISTS ledger ("
    " id INTEGER PRIMARY KEY,"
    " time TEXT NOT NULL,"
    " client TEXT NOT NULL,"
    " request TEXT NOT NULL,"
    " amount INTEGER NOT NULL,"
    " credit INTEGER NOT NULL,"
    " bank INTEGER NOT NULL);"
    // The cash collections, found at once by the operator's console however long the ledger.
    "CREATE INDEX IF NOT EXISTS ledger_payouts ON ledger (id) WHERE request = 'PAYO';";

std::string Message(sqlite3* db, const char* what) {
    return std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
}

std::string Column(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? reinterpret_cast<const char*>(text) : "";
}
}  // namespace

CreditStore::~CreditStore() {
    sqlite3_finalize(readBalances_);
    sqlite3_finalize(writeBalances_);
    sqlite3_finalize(addLedgerRow_);
    sqlite3_close(db_);
}

bool CreditStore::Execute(const char* sql, std::string* error) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    if (error) *error = std::string(sql).substr(0, 40) + ": " + (message ? message : "failed");
    sqlite3_free(message);
    return false;
}

bool CreditStore::Open(const std::string& path, bool readOnly, std::string* error) {
    int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        *error = Message(db_, ("cannot open " + path).c_str());
        return false;
    }
    sqlite3_busy_timeout(db_, 5000);
    if (!readOnly) {
        sqlite3_stmt* mode = nullptr;
        bool wal =
            sqlite3_prepare_v2(db_, "PRAGMA journal_mode=WAL", -1, &mode, nullptr) == SQLITE_OK &&
            sqlite3_step(mode) == SQLITE_ROW && Column(mode, 0) == "wal";
        sqlite3_finalize(mode);
        if (!wal) {
            *error = Message(db_, (path + " cannot be put in WAL mode").c_str());
            return false;
        }
        if (!Execute("PRAGMA synchronous=FULL", error) || !Execute(Schema, error)) return false;
    }
    if (sqlite3_prepare_v2(db_, "SELECT credit, bank FROM balances WHERE id = 1", -1,
                           &readBalances_, nullptr) != SQLITE_OK) {
        *error = Message(db_, (path + " is not a credit database").c_str());
        return false;
    }
    if (!readOnly &&
        (sqlite3_prepare_v2(db_, "UPDATE balances SET credit = ?1, bank = ?2 WHERE id = 1", -1,
                            &writeBalances_, nullptr) != SQLITE_OK ||
         sqlite3_prepare_v2(db_,
                            "INSERT INTO ledger (time, client, request, amount, credit, bank)"
                            " VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                            -1, &addLedgerRow_, nullptr) != SQLITE_OK)) {
        *error = Message(db_, (path + " is not a credit database").c_str());
        return false;
    }
    Balances check;
    if (!Read(&check)) {
        *error = Message(db_, (path + " holds no readable balances").c_str());
        return false;
    }
    return true;
}

bool CreditStore::Read(Balances* balances) {
    bool ok = sqlite3_step(readBalances_) == SQLITE_ROW;
    if (ok) {
        balances->credit = sqlite3_column_int64(readBalances_, 0);
        balances->bank = sqlite3_column_int64(readBalances_, 1);
    }
    sqlite3_reset(readBalances_);
    return ok;
}

ChangeResult CreditStore::Apply(const Request& request, const std::string& client, Balances* after,
                                std::string* error) {
    if (!Execute("BEGIN IMMEDIATE", error)) return ChangeResult::StorageFailed;
    Balances before;
    if (!Read(&before)) {
        *error = Message(db_, "reading the balances");
        Execute("ROLLBACK", nullptr);
        return ChangeResult::StorageFailed;
    }
    if (!BalancesAfter(request, before, after)) {
        Execute("ROLLBACK", nullptr);
        return ChangeResult::Refused;
    }
    std::string time = UtcNow();
    sqlite3_bind_int64(writeBalances_, 1, after->credit);
    sqlite3_bind_int64(writeBalances_, 2, after->bank);
    bool ok = sqlite3_step(writeBalances_) == SQLITE_DONE;
    sqlite3_reset(writeBalances_);
    if (ok) {
        sqlite3_bind_text(addLedgerRow_, 1, time.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(addLedgerRow_, 2, client.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(addLedgerRow_, 3, VerbName(request.verb), -1, SQLITE_STATIC);
        sqlite3_bind_int64(addLedgerRow_, 4, request.amount);
        sqlite3_bind_int64(addLedgerRow_, 5, after->credit);
        sqlite3_bind_int64(addLedgerRow_, 6, after->bank);
        ok = sqlite3_step(addLedgerRow_) == SQLITE_DONE;
        sqlite3_reset(addLedgerRow_);
    }
    if (!ok) {
        *error = Message(db_, "writing the change");
        Execute("ROLLBACK", nullptr);
        return ChangeResult::StorageFailed;
    }
    if (!Execute("COMMIT", error)) {
        Execute("ROLLBACK", nullptr);
        return ChangeResult::StorageFailed;
    }
    return ChangeResult::Done;
}

bool CreditStore::LastChanges(int64_t count, std::vector<LedgerRow>* rows, std::string* error) {
    sqlite3_stmt* statement = nullptr;
    const char* sql =
        "SELECT id, time, client, request, amount, credit, bank FROM"
        " (SELECT * FROM ledger ORDER BY id DESC LIMIT ?1) ORDER BY id";
    if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) {
        *error = Message(db_, "reading the ledger");
        return false;
    }
    sqlite3_bind_int64(statement, 1, count);
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        LedgerRow row;
        row.id = sqlite3_column_int64(statement, 0);
        row.time = Column(statement, 1);
        row.client = Column(statement, 2);
        row.request = Column(statement, 3);
        row.amount = sqlite3_column_int64(statement, 4);
        row.credit = sqlite3_column_int64(statement, 5);
        row.bank = sqlite3_column_int64(statement, 6);
        rows->push_back(row);
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) {
        *error = Message(db_, "reading the ledger");
        return false;
    }
    return true;
}
