#include "outbox.h"

#include <sqlite3.h>

#include <chrono>
#include <nlohmann/json.hpp>

#include "fleet_common.h"

namespace {
constexpr const char* Schema =
    "CREATE TABLE IF NOT EXISTS outbox ("
    " seq INTEGER PRIMARY KEY, kind TEXT NOT NULL, payload TEXT NOT NULL,"
    " state INTEGER NOT NULL DEFAULT 0, sent_at INTEGER);"
    "CREATE INDEX IF NOT EXISTS outbox_state ON outbox (state, seq);"
    "CREATE INDEX IF NOT EXISTS outbox_kind ON outbox (kind, seq);"
    "CREATE TABLE IF NOT EXISTS cursors (name TEXT PRIMARY KEY, value TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS identity (id INTEGER PRIMARY KEY CHECK (id = 1),"
    " cabinet TEXT NOT NULL, next_seq INTEGER NOT NULL);";

int64_t NowSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

struct Statement {
    sqlite3_stmt* s = nullptr;
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &s, nullptr); }
    ~Statement() { sqlite3_finalize(s); }
    bool ok() const { return s != nullptr; }
};
}  // namespace

std::string Envelope(const std::string& cabinet, int64_t seq, const std::string& kind,
                     const std::string& time, const std::string& body) {
    return "{\"cabinet\":" + nlohmann::json(cabinet).dump() + ",\"seq\":" + std::to_string(seq) +
           ",\"kind\":" + nlohmann::json(kind).dump() + ",\"time\":\"" + time +
           "\",\"body\":" + body + "}";
}

Outbox::~Outbox() {
    sqlite3_close(db_);
}

bool Outbox::Exec(const char* sql, std::string* error) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    if (error) *error = std::string("outbox: ") + (message ? message : "failed");
    sqlite3_free(message);
    return false;
}

int64_t Outbox::Scalar(const char* sql, int64_t fallback) {
    Statement st(db_, sql);
    if (st.ok() && sqlite3_step(st.s) == SQLITE_ROW) return sqlite3_column_int64(st.s, 0);
    return fallback;
}

bool Outbox::Open(const std::string& path, const std::string& cabinet, int64_t limit,
                  std::string* error) {
    cabinet_ = cabinet;
    limit_ = limit;
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        *error = "cannot open the outbox " + path + ": " + sqlite3_errmsg(db_);
        return false;
    }
    sqlite3_busy_timeout(db_, 5000);
    if (!Exec("PRAGMA journal_mode=WAL", error) || !Exec("PRAGMA synchronous=FULL", error) ||
        !Exec(Schema, error))
        return false;
    Statement who(db_, "SELECT cabinet FROM identity WHERE id = 1");
    if (who.ok() && sqlite3_step(who.s) == SQLITE_ROW) {
        std::string owner = reinterpret_cast<const char*>(sqlite3_column_text(who.s, 0));
        if (owner != cabinet) {
            *error = "the outbox " + path + " belongs to cabinet " + owner;
            return false;
        }
        return true;
    }
    Statement add(db_, "INSERT INTO identity (id, cabinet, next_seq) VALUES (1, ?1, 1)");
    sqlite3_bind_text(add.s, 1, cabinet.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(add.s) != SQLITE_DONE) {
        *error = std::string("outbox: ") + sqlite3_errmsg(db_);
        return false;
    }
    return true;
}

std::string Outbox::Cursor(const std::string& name, const std::string& fallback) {
    Statement st(db_, "SELECT value FROM cursors WHERE name = ?1");
    sqlite3_bind_text(st.s, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(st.s) == SQLITE_ROW)
        return reinterpret_cast<const char*>(sqlite3_column_text(st.s, 0));
    return fallback;
}

EnqueueResult Outbox::Enqueue(const std::vector<Draft>& drafts,
                              const std::vector<std::pair<std::string, std::string>>& cursors,
                              std::string* note) {
    if (!Exec("BEGIN IMMEDIATE")) return EnqueueResult::Failed;
    int64_t count = Scalar("SELECT count(*) FROM outbox", 0);
    int64_t heartbeats = Scalar("SELECT count(*) FROM outbox WHERE kind = 'heartbeat'", 0);
    int64_t beats = 0;
    for (const Draft& d : drafts) beats += d.kind == "heartbeat";
    int64_t valuable = static_cast<int64_t>(drafts.size()) - beats;
    if (valuable > 0 && count - heartbeats + valuable > limit_) {
        Exec("ROLLBACK");  // not even with every heartbeat gone: the source keeps it for later
        return EnqueueResult::Full;
    }
    int64_t over = count + static_cast<int64_t>(drafts.size()) - limit_;
    if (over > 0 && heartbeats > 0) {
        Statement drop(db_,
                       "DELETE FROM outbox WHERE seq IN (SELECT seq FROM outbox WHERE kind = "
                       "'heartbeat' ORDER BY seq LIMIT ?1)");
        sqlite3_bind_int64(drop.s, 1, over);
        sqlite3_step(drop.s);
        int64_t dropped = sqlite3_changes(db_);
        over -= dropped;
        *note = "outbox full (" + std::to_string(limit_) + " messages): dropped the " +
                std::to_string(dropped) + " oldest heartbeats";
    }
    if (over > 0)
        *note = "outbox full (" + std::to_string(limit_) + " messages): dropped a new heartbeat";
    std::vector<const Draft*> keep;
    for (const Draft& d : drafts) {
        if (d.kind == "heartbeat" && over > 0) {
            --over;
            continue;
        }
        keep.push_back(&d);
    }
    int64_t seq = Scalar("SELECT next_seq FROM identity WHERE id = 1", -1);
    bool ok = seq > 0;
    std::string time = UtcNow();
    {
        Statement add(db_, "INSERT INTO outbox (seq, kind, payload) VALUES (?1, ?2, ?3)");
        for (const Draft* d : keep) {
            if (!ok) break;
            std::string payload = Envelope(cabinet_, seq, d->kind, time, d->body);
            sqlite3_bind_int64(add.s, 1, seq);
            sqlite3_bind_text(add.s, 2, d->kind.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(add.s, 3, payload.c_str(), -1, SQLITE_TRANSIENT);
            ok = sqlite3_step(add.s) == SQLITE_DONE;
            sqlite3_reset(add.s);
            ++seq;
        }
        Statement next(db_, "UPDATE identity SET next_seq = ?1 WHERE id = 1");
        sqlite3_bind_int64(next.s, 1, seq);
        ok = ok && sqlite3_step(next.s) == SQLITE_DONE;
        Statement move(db_, "INSERT OR REPLACE INTO cursors (name, value) VALUES (?1, ?2)");
        for (const auto& [name, value] : cursors) {
            if (!ok) break;
            sqlite3_bind_text(move.s, 1, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(move.s, 2, value.c_str(), -1, SQLITE_TRANSIENT);
            ok = sqlite3_step(move.s) == SQLITE_DONE;
            sqlite3_reset(move.s);
        }
    }
    if (!ok || !Exec("COMMIT")) {
        Exec("ROLLBACK");
        return EnqueueResult::Failed;
    }
    return EnqueueResult::Added;
}

std::vector<OutMessage> Outbox::Unsent(size_t limit) {
    std::vector<OutMessage> out;
    Statement st(db_,
                 "SELECT seq, kind, payload FROM outbox WHERE state = 0 ORDER BY seq LIMIT ?1");
    sqlite3_bind_int64(st.s, 1, static_cast<int64_t>(limit));
    while (sqlite3_step(st.s) == SQLITE_ROW) {
        OutMessage m;
        m.seq = sqlite3_column_int64(st.s, 0);
        m.kind = reinterpret_cast<const char*>(sqlite3_column_text(st.s, 1));
        m.payload = reinterpret_cast<const char*>(sqlite3_column_text(st.s, 2));
        out.push_back(std::move(m));
    }
    return out;
}

void Outbox::MarkSent(const std::vector<int64_t>& seqs) {
    if (seqs.empty() || !Exec("BEGIN")) return;
    {
        Statement st(db_, "UPDATE outbox SET state = 1, sent_at = ?2 WHERE seq = ?1");
        for (int64_t seq : seqs) {
            sqlite3_bind_int64(st.s, 1, seq);
            sqlite3_bind_int64(st.s, 2, NowSeconds());
            sqlite3_step(st.s);
            sqlite3_reset(st.s);
        }
    }
    Exec("COMMIT");
}

void Outbox::Confirm(const std::vector<std::pair<int64_t, int64_t>>& ranges) {
    if (ranges.empty() || !Exec("BEGIN")) return;
    {
        Statement st(db_, "DELETE FROM outbox WHERE seq BETWEEN ?1 AND ?2");
        for (const auto& [from, to] : ranges) {
            sqlite3_bind_int64(st.s, 1, from);
            sqlite3_bind_int64(st.s, 2, to);
            sqlite3_step(st.s);
            sqlite3_reset(st.s);
        }
    }
    Exec("COMMIT");
}

int64_t Outbox::Resend(int64_t olderThanSeconds) {
    Statement st(db_, "UPDATE outbox SET state = 0 WHERE state = 1 AND sent_at <= ?1");
    sqlite3_bind_int64(st.s, 1, NowSeconds() - olderThanSeconds);
    sqlite3_step(st.s);
    return sqlite3_changes(db_);
}

int64_t Outbox::Room() {
    return limit_ - Count() + Scalar("SELECT count(*) FROM outbox WHERE kind = 'heartbeat'", 0);
}

int64_t Outbox::Count() {
    return Scalar("SELECT count(*) FROM outbox", -1);
}

int64_t Outbox::LastSeq() {
    return Scalar("SELECT next_seq - 1 FROM identity WHERE id = 1", 0);
}
