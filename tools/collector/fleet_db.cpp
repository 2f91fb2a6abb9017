#include "fleet_db.h"

#include <libpq-fe.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {
// Held while migrating, so that two collectors starting together do not both migrate.
constexpr const char* MigrationLock = "4711018";

std::string ResultError(pg_conn* conn) {
    std::string text = PQerrorMessage(conn);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}
}  // namespace

bool IsEnvelopeTime(const std::string& t) {
    const char* shape = "dddd-dd-ddTdd:dd:dd";
    if (t.size() < 20 || t.size() > 30 || t.back() != 'Z') return false;
    for (size_t i = 0; i < 19; ++i) {
        bool digit = t[i] >= '0' && t[i] <= '9';
        if (shape[i] == 'd' ? !digit : t[i] != shape[i]) return false;
    }
    if (t.size() == 20) return true;
    if (t[19] != '.' || t.size() == 21) return false;
    for (size_t i = 20; i + 1 < t.size(); ++i)
        if (t[i] < '0' || t[i] > '9') return false;
    return true;
}

std::string CopyEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

FleetDb::~FleetDb() {
    PQfinish(conn_);
}

bool FleetDb::Connected() const {
    return conn_ && PQstatus(conn_) == CONNECTION_OK;
}

bool FleetDb::Connect(const std::string& url, std::string* error) {
    PQfinish(conn_);
    staging_ = false;
    conn_ = PQconnectdb(url.c_str());
    if (PQstatus(conn_) != CONNECTION_OK) {
        *error = "cannot connect to the fleet database: " + ResultError(conn_);
        return false;
    }
    PQclear(PQexec(conn_, "SET client_min_messages = warning"));
    return true;
}

bool FleetDb::Exec(const std::string& sql, std::string* error) {
    PGresult* r = PQexec(conn_, sql.c_str());
    bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
    if (!ok && error) *error = ResultError(conn_);
    PQclear(r);
    return ok;
}

bool FleetDb::Query(const std::string& sql, const std::vector<std::string>& params,
                    std::vector<std::vector<std::string>>* rows, std::string* error) {
    std::vector<const char*> values;
    for (const std::string& p : params) values.push_back(p.c_str());
    PGresult* r = PQexecParams(conn_, sql.c_str(), static_cast<int>(values.size()), nullptr,
                               values.data(), nullptr, nullptr, 0);
    bool ok = PQresultStatus(r) == PGRES_TUPLES_OK || PQresultStatus(r) == PGRES_COMMAND_OK;
    if (!ok) {
        *error = ResultError(conn_);
    } else if (rows) {
        for (int i = 0; i < PQntuples(r); ++i) {
            std::vector<std::string> row;
            for (int j = 0; j < PQnfields(r); ++j)
                row.push_back(PQgetisnull(r, i, j) ? "" : PQgetvalue(r, i, j));
            rows->push_back(std::move(row));
        }
    }
    PQclear(r);
    return ok;
}

bool FleetDb::Migrate(const std::string& folder, std::vector<std::string>* applied,
                      std::string* error) {
    std::vector<std::pair<int, fs::path>> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        std::string name = entry.path().filename().string();
        if (name.size() < 8 || name.compare(name.size() - 4, 4, ".sql") != 0 ||
            !std::all_of(name.begin(), name.begin() + 3,
                         [](char c) { return c >= '0' && c <= '9'; }) ||
            name[3] != '_')
            continue;
        files.emplace_back(std::stoi(name.substr(0, 3)), entry.path());
    }
    if (ec || files.empty()) {
        *error = "no migration files (NNN_name.sql) in " + folder;
        return false;
    }
    std::sort(files.begin(), files.end());
    if (!Exec(std::string("SELECT pg_advisory_lock(") + MigrationLock + ")", error)) return false;
    bool ok = Exec(
        "CREATE TABLE IF NOT EXISTS schema_migrations (version integer PRIMARY KEY,"
        " name text NOT NULL, applied_at timestamptz NOT NULL DEFAULT now())",
        error);
    std::vector<std::vector<std::string>> rows;
    ok = ok && Query("SELECT coalesce(max(version), 0) FROM schema_migrations", {}, &rows, error);
    int current = ok ? std::stoi(rows[0][0]) : 0;
    if (ok && current > files.back().first) {
        *error = "the fleet database is at schema version " + std::to_string(current) +
                 ", newer than this collector's " + std::to_string(files.back().first);
        ok = false;
    }
    for (const auto& [version, path] : files) {
        if (!ok) break;
        if (version <= current) continue;
        std::ifstream in(path);
        std::stringstream sql;
        sql << in.rdbuf();
        std::string name = path.filename().string();
        ok = Exec("BEGIN", error) && Exec(sql.str(), error) &&
             Query("INSERT INTO schema_migrations (version, name) VALUES ($1::integer, $2)",
                   {std::to_string(version), name}, nullptr, error) &&
             Exec("COMMIT", error);
        if (!ok) {
            *error = name + ": " + *error;
            Exec("ROLLBACK", nullptr);
        } else if (applied) {
            applied->push_back(name);
        }
    }
    Exec(std::string("SELECT pg_advisory_unlock(") + MigrationLock + ")", nullptr);
    return ok;
}

bool FleetDb::Store(const std::vector<Incoming>& messages,
                    const std::vector<StatusChange>& statuses,
                    const std::vector<Rejected>& rejected, std::string* error) {
    if (!staging_) {
        if (!Exec("CREATE TEMP TABLE incoming (cabinet text, seq bigint, kind text,"
                  " sent_at timestamptz, body jsonb) ON COMMIT DELETE ROWS",
                  error))
            return false;
        staging_ = true;
    }
    if (!Exec("BEGIN", error)) return false;
    bool ok = true;
    if (!messages.empty()) {
        PGresult* r = PQexec(conn_, "COPY incoming (cabinet, seq, kind, sent_at, body) FROM STDIN");
        ok = PQresultStatus(r) == PGRES_COPY_IN;
        PQclear(r);
        std::string chunk;
        for (size_t i = 0; ok && i < messages.size(); ++i) {
            const Incoming& m = messages[i];
            chunk += CopyEscape(m.cabinet) + '\t' + std::to_string(m.seq) + '\t' +
                     CopyEscape(m.kind) + '\t' + m.sentAt + '\t' + CopyEscape(m.body) + '\n';
            if (chunk.size() > 65536 || i + 1 == messages.size()) {
                ok = PQputCopyData(conn_, chunk.data(), static_cast<int>(chunk.size())) == 1;
                chunk.clear();
            }
        }
        if (PQputCopyEnd(conn_, ok ? nullptr : "the batch could not be sent") != 1) ok = false;
        while (PGresult* end = PQgetResult(conn_)) {
            if (PQresultStatus(end) != PGRES_COMMAND_OK) ok = false;
            PQclear(end);
        }
        if (!ok) *error = ResultError(conn_);
        ok = ok &&
             Exec(
                 "INSERT INTO messages (cabinet, seq, kind, sent_at, body)"
                 " SELECT cabinet, seq, kind, sent_at, body FROM incoming"
                 " ON CONFLICT DO NOTHING",
                 error) &&
             Exec(
                 "INSERT INTO cabinets (cabinet, last_seen, last_seq)"
                 " SELECT cabinet, max(sent_at), max(seq) FROM incoming GROUP BY cabinet"
                 " ON CONFLICT (cabinet) DO UPDATE SET"
                 " last_seen = greatest(cabinets.last_seen, excluded.last_seen),"
                 " last_seq = greatest(cabinets.last_seq, excluded.last_seq)",
                 error);
    }
    for (const StatusChange& s : statuses) {
        if (!ok) break;
        ok = Query(
                 "INSERT INTO status_log (cabinet, state) SELECT $1, $2 WHERE NOT EXISTS"
                 " (SELECT 1 FROM cabinets WHERE cabinet = $1 AND state = $2)",
                 {s.cabinet, s.state}, nullptr, error) &&
             Query(
                 "INSERT INTO cabinets (cabinet, state, state_since, last_seen)"
                 " VALUES ($1, $2, now(), now()) ON CONFLICT (cabinet) DO UPDATE SET"
                 " state = excluded.state,"
                 " state_since = CASE WHEN cabinets.state = excluded.state"
                 "   THEN cabinets.state_since ELSE now() END,"
                 " last_seen = CASE WHEN excluded.state = 'online' THEN now()"
                 "   ELSE cabinets.last_seen END",
                 {s.cabinet, s.state}, nullptr, error);
    }
    for (const Rejected& r : rejected) {
        if (!ok) break;
        ok = Query("INSERT INTO rejected (topic, payload, reason) VALUES ($1, $2, $3)",
                   {r.topic, r.payload, r.reason}, nullptr, error);
    }
    if (ok) return Exec("COMMIT", error);
    Exec("ROLLBACK", nullptr);
    return false;
}
