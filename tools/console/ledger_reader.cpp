#include "ledger_reader.h"

#include <sqlite3.h>

#include <cstdio>
#include <ctime>
#include <map>

namespace {
// The kind of the ledger row `l` as a number in EntryKind's order (see ledger_reader.h). The
// look-back for a prize's stake runs over the primary key: at most 64 rows.
constexpr const char* KindSql =
    "(CASE l.request"
    " WHEN 'CADD' THEN CASE WHEN EXISTS (SELECT 1 FROM ledger g WHERE g.id < l.id"
    "   AND g.id >= l.id - 64 AND g.client = l.client AND g.request = 'CUSE' AND g.amount = 50)"
    "   THEN 3 ELSE 0 END"
    " WHEN 'CUSE' THEN CASE WHEN l.amount = 50 THEN 1 ELSE 4 END"
    " WHEN 'BADD' THEN 2 WHEN 'PAYO' THEN 5 ELSE 6 END)";

constexpr const char* Columns = "l.id, l.time, l.client, l.request, l.amount, l.credit, l.bank";

struct Statement {
    sqlite3_stmt* s = nullptr;
    ~Statement() { sqlite3_finalize(s); }
};

std::string Text(sqlite3_stmt* s, int column) {
    const unsigned char* t = sqlite3_column_text(s, column);
    return t ? reinterpret_cast<const char*>(t) : "";
}

bool Prepare(sqlite3* db, const std::string& sql, Statement* st, std::string* error) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st->s, nullptr) == SQLITE_OK) return true;
    *error = std::string("the ledger cannot be read: ") + sqlite3_errmsg(db);
    return false;
}

bool Done(sqlite3* db, int rc, std::string* error) {
    if (rc == SQLITE_DONE) return true;
    *error = std::string("the ledger cannot be read: ") + sqlite3_errmsg(db);
    return false;
}

void AddToTotals(EntryKind kind, int64_t count, int64_t sum, MoneyTotals* t) {
    switch (kind) {
        case EntryKind::MoneyIn:
            t->moneyIn += sum;
            break;
        case EntryKind::Stake:
            t->stakes += sum, t->games += count;
            break;
        case EntryKind::PrizeToBank:
            t->prizesToBank += sum;
            break;
        case EntryKind::PrizeToCredit:
            t->prizesToCredit += sum;
            break;
        case EntryKind::TakenOut:
            t->takenOut += sum;
            break;
        case EntryKind::Payout:
            t->payouts += sum;
            break;
        case EntryKind::Other:
            break;
    }
}

bool ParseDate(const std::string& date, std::tm* tm) {
    int y, m, d;
    char tail;
    if (date.size() != 10 || std::sscanf(date.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3)
        return false;
    if (y < 1970 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) return false;
    *tm = std::tm{};
    tm->tm_year = y - 1900, tm->tm_mon = m - 1, tm->tm_mday = d, tm->tm_isdst = -1;
    return true;
}

// Local midnight of a date plus some days, as ledger UTC text.
std::string LocalMidnightUtc(const std::string& date, int addDays) {
    std::tm tm;
    if (!ParseDate(date, &tm)) return "";
    tm.tm_mday += addDays;
    std::time_t t = std::mktime(&tm);
    std::tm utc{};
    if (t == static_cast<std::time_t>(-1) || !gmtime_r(&t, &utc)) return "";
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.000Z", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

std::string LocalDateOf(std::time_t t, int addDays) {
    std::tm tm{};
    localtime_r(&t, &tm);
    tm.tm_mday += addDays;
    tm.tm_hour = 12;  // clear of a change of summer time
    tm.tm_isdst = -1;
    std::mktime(&tm);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday);
    return text;
}
}  // namespace

const char* KindName(EntryKind kind) {
    switch (kind) {
        case EntryKind::MoneyIn:
            return "money in";
        case EntryKind::Stake:
            return "stake";
        case EntryKind::PrizeToBank:
            return "prize to bank";
        case EntryKind::PrizeToCredit:
            return "prize to credit";
        case EntryKind::TakenOut:
            return "taken out";
        case EntryKind::Payout:
            return "payout";
        case EntryKind::Other:
            break;
    }
    return "other";
}

const char* KindKey(EntryKind kind) {
    switch (kind) {
        case EntryKind::MoneyIn:
            return "in";
        case EntryKind::Stake:
            return "stake";
        case EntryKind::PrizeToBank:
            return "bank";
        case EntryKind::PrizeToCredit:
            return "credit";
        case EntryKind::TakenOut:
            return "out";
        case EntryKind::Payout:
            return "payout";
        case EntryKind::Other:
            break;
    }
    return "other";
}

bool KindFromKey(const std::string& key, EntryKind* kind) {
    for (EntryKind k : AllKinds)
        if (key == KindKey(k)) {
            *kind = k;
            return true;
        }
    return false;
}

std::string LocalTimeText(const std::string& utcTime) {
    std::tm tm{};
    if (utcTime.size() < 19 ||
        std::sscanf(utcTime.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &tm.tm_year, &tm.tm_mon,
                    &tm.tm_mday, &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6)
        return utcTime;
    tm.tm_year -= 1900, tm.tm_mon -= 1;
    std::time_t t = timegm(&tm);
    std::tm local{};
    localtime_r(&t, &local);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

std::string UtcOfLocalDate(const std::string& localDate) {
    return LocalMidnightUtc(localDate, 0);
}

std::string LocalToday() {
    return LocalDateOf(std::time(nullptr), 0);
}

std::string LocalWeekStart() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return LocalDateOf(now, -((tm.tm_wday + 6) % 7));
}

LedgerReader::~LedgerReader() {
    sqlite3_close(db_);
}

bool LedgerReader::Open(const std::string& path, std::string* error) {
    // The URI names read-only mode for the file itself; query_only refuses writes besides.
    std::string uri = "file:";
    for (char c : path) {
        if (c == '?' || c == '#' || c == '%') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            uri += escaped;
        } else {
            uri += c;
        }
    }
    uri += "?mode=ro";
    if (sqlite3_open_v2(uri.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) !=
        SQLITE_OK) {
        *error = "cannot open " + path + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory");
        return false;
    }
    sqlite3_busy_timeout(db_, 2000);
    sqlite3_exec(db_, "PRAGMA query_only=1", nullptr, nullptr, nullptr);
    int64_t credit, bank;
    if (!Balances(&credit, &bank, error)) {
        *error = path + " is not a credit database (" + *error + ")";
        return false;
    }
    return true;
}

bool LedgerReader::Balances(int64_t* credit, int64_t* bank, std::string* error) {
    std::lock_guard lock(mutex_);
    Statement st;
    if (!Prepare(db_, "SELECT credit, bank FROM balances WHERE id = 1", &st, error)) return false;
    if (sqlite3_step(st.s) != SQLITE_ROW) {
        *error = "no balances";
        return false;
    }
    *credit = sqlite3_column_int64(st.s, 0);
    *bank = sqlite3_column_int64(st.s, 1);
    return true;
}

bool LedgerReader::FirstIdAt(const std::string& utcTime, int64_t* id, std::string* error) {
    Statement bounds, probe;
    if (!Prepare(db_, "SELECT ifnull(min(id), 1), ifnull(max(id), 0) FROM ledger", &bounds,
                 error) ||
        !Prepare(db_, "SELECT id, time FROM ledger WHERE id >= ?1 ORDER BY id LIMIT 1", &probe,
                 error))
        return false;
    if (sqlite3_step(bounds.s) != SQLITE_ROW) return Done(db_, SQLITE_ERROR, error);
    int64_t lo = sqlite3_column_int64(bounds.s, 0), hi = sqlite3_column_int64(bounds.s, 1) + 1;
    while (lo < hi) {
        int64_t mid = lo + (hi - lo) / 2;
        sqlite3_reset(probe.s);
        sqlite3_bind_int64(probe.s, 1, mid);
        int rc = sqlite3_step(probe.s);
        if (rc != SQLITE_ROW) return Done(db_, rc == SQLITE_DONE ? SQLITE_ERROR : rc, error);
        if (Text(probe.s, 1) >= utcTime)
            hi = mid;
        else
            lo = sqlite3_column_int64(probe.s, 0) + 1;
    }
    *id = lo;
    return true;
}

bool LedgerReader::Totals(int64_t first, int64_t last, MoneyTotals* totals, std::string* error) {
    *totals = MoneyTotals{};
    Statement st;
    std::string sql = std::string("SELECT ") + KindSql +
                      " AS k, count(*), sum(l.amount) FROM ledger l"
                      " WHERE l.id BETWEEN ?1 AND ?2 GROUP BY k";
    if (!Prepare(db_, sql, &st, error)) return false;
    sqlite3_bind_int64(st.s, 1, first);
    sqlite3_bind_int64(st.s, 2, last);
    int rc;
    while ((rc = sqlite3_step(st.s)) == SQLITE_ROW)
        AddToTotals(static_cast<EntryKind>(sqlite3_column_int(st.s, 0)),
                    sqlite3_column_int64(st.s, 1), sqlite3_column_int64(st.s, 2), totals);
    return Done(db_, rc, error);
}

bool LedgerReader::TotalsSince(const std::string& utcTime, MoneyTotals* totals,
                               std::string* error) {
    std::lock_guard lock(mutex_);
    int64_t first = 0;
    return FirstIdAt(utcTime, &first, error) && Totals(first, INT64_MAX, totals, error);
}

bool LedgerReader::SinceLastPayout(std::string* payoutTime, MoneyTotals* totals,
                                   std::string* error) {
    std::lock_guard lock(mutex_);
    Statement st;
    // The service keeps a partial index of its payout rows: this is one index look-up.
    if (!Prepare(db_,
                 "SELECT id, time FROM ledger WHERE id = (SELECT max(id) FROM ledger"
                 " WHERE request = 'PAYO')",
                 &st, error))
        return false;
    int rc = sqlite3_step(st.s);
    int64_t after = 0;
    payoutTime->clear();
    if (rc == SQLITE_ROW) {
        after = sqlite3_column_int64(st.s, 0);
        *payoutTime = Text(st.s, 1);
    } else if (!Done(db_, rc, error)) {
        return false;
    }
    return Totals(after + 1, INT64_MAX, totals, error);
}

bool LedgerReader::IdRange(const LedgerFilter& filter, int64_t* first, int64_t* last,
                           std::string* error) {
    *first = 0, *last = INT64_MAX;
    if (!filter.from.empty()) {
        std::string t = LocalMidnightUtc(filter.from, 0);
        if (t.empty()) {
            *error = "not a date: " + filter.from;
            return false;
        }
        if (!FirstIdAt(t, first, error)) return false;
    }
    if (!filter.to.empty()) {
        std::string t = LocalMidnightUtc(filter.to, 1);
        if (t.empty()) {
            *error = "not a date: " + filter.to;
            return false;
        }
        if (!FirstIdAt(t, last, error)) return false;
        *last -= 1;
    }
    return true;
}

bool LedgerReader::Rows(const std::string& sql, const std::vector<int64_t>& numbers,
                        std::vector<LedgerEntry>* rows, std::string* error) {
    Statement st;
    if (!Prepare(db_, sql, &st, error)) return false;
    for (size_t i = 0; i < numbers.size(); ++i)
        sqlite3_bind_int64(st.s, static_cast<int>(i + 1), numbers[i]);
    int rc;
    while ((rc = sqlite3_step(st.s)) == SQLITE_ROW) {
        LedgerEntry e;
        e.id = sqlite3_column_int64(st.s, 0);
        e.time = Text(st.s, 1);
        e.client = Text(st.s, 2);
        e.request = Text(st.s, 3);
        e.amount = sqlite3_column_int64(st.s, 4);
        e.credit = sqlite3_column_int64(st.s, 5);
        e.bank = sqlite3_column_int64(st.s, 6);
        e.kind = static_cast<EntryKind>(sqlite3_column_int(st.s, 7));
        rows->push_back(std::move(e));
    }
    return Done(db_, rc, error);
}

bool LedgerReader::Page(const LedgerFilter& filter, int64_t before, int count,
                        std::vector<LedgerEntry>* rows, bool* more, std::string* error) {
    std::lock_guard lock(mutex_);
    int64_t first, last;
    if (!IdRange(filter, &first, &last, error)) return false;
    if (before > 0 && before - 1 < last) last = before - 1;
    std::string sql = std::string("SELECT * FROM (SELECT ") + Columns + ", " + KindSql +
                      " AS k FROM ledger l WHERE l.id BETWEEN ?1 AND ?2 ORDER BY l.id DESC)" +
                      (filter.anyKind ? "" : " WHERE k = ?4") + " LIMIT ?3";
    std::vector<int64_t> numbers{first, last, count + 1};
    if (!filter.anyKind) numbers.push_back(static_cast<int64_t>(filter.kind));
    if (!Rows(sql, numbers, rows, error)) return false;
    *more = rows->size() > static_cast<size_t>(count);
    if (*more) rows->pop_back();
    return true;
}

bool LedgerReader::All(const LedgerFilter& filter, std::vector<LedgerEntry>* rows,
                       std::string* error) {
    std::lock_guard lock(mutex_);
    int64_t first, last;
    if (!IdRange(filter, &first, &last, error)) return false;
    std::string sql = std::string("SELECT * FROM (SELECT ") + Columns + ", " + KindSql +
                      " AS k FROM ledger l WHERE l.id BETWEEN ?1 AND ?2 ORDER BY l.id)" +
                      (filter.anyKind ? "" : " WHERE k = ?3");
    std::vector<int64_t> numbers{first, last};
    if (!filter.anyKind) numbers.push_back(static_cast<int64_t>(filter.kind));
    return Rows(sql, numbers, rows, error);
}

bool LedgerReader::Report(Period period, const std::string& from, const std::string& to,
                          std::vector<PeriodRow>* rows, MoneyTotals* sum, std::string* error) {
    std::lock_guard lock(mutex_);
    LedgerFilter filter;
    filter.from = from, filter.to = to;
    int64_t first, last;
    if (!IdRange(filter, &first, &last, error)) return false;
    const char* key = period == Period::Day ? "date(substr(l.time, 1, 19), 'localtime')"
                      : period == Period::Week
                          ? "date(substr(l.time, 1, 19), 'localtime', 'weekday 0', '-6 days')"
                          : "strftime('%Y-%m', substr(l.time, 1, 19), 'localtime')";
    std::string sql = std::string("SELECT ") + key + " AS p, " + KindSql +
                      " AS k, count(*), sum(l.amount) FROM ledger l"
                      " WHERE l.id BETWEEN ?1 AND ?2 GROUP BY p, k ORDER BY p";
    Statement st;
    if (!Prepare(db_, sql, &st, error)) return false;
    sqlite3_bind_int64(st.s, 1, first);
    sqlite3_bind_int64(st.s, 2, last);
    *sum = MoneyTotals{};
    int rc;
    while ((rc = sqlite3_step(st.s)) == SQLITE_ROW) {
        std::string p = Text(st.s, 0);
        if (rows->empty() || rows->back().period != p) rows->push_back(PeriodRow{p, {}});
        EntryKind k = static_cast<EntryKind>(sqlite3_column_int(st.s, 1));
        int64_t n = sqlite3_column_int64(st.s, 2), amount = sqlite3_column_int64(st.s, 3);
        AddToTotals(k, n, amount, &rows->back().totals);
        AddToTotals(k, n, amount, sum);
    }
    return Done(db_, rc, error);
}

std::vector<std::string> LedgerReader::OverviewPlan() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> lines;
    const std::string queries[] = {
        "SELECT id, time FROM ledger WHERE id >= ?1 ORDER BY id LIMIT 1",
        "SELECT id, time FROM ledger WHERE id = (SELECT max(id) FROM ledger WHERE request ="
        " 'PAYO')",
        std::string("SELECT ") + KindSql +
            " AS k, count(*), sum(l.amount) FROM ledger l WHERE l.id BETWEEN ?1 AND ?2 GROUP BY k",
    };
    for (const std::string& q : queries) {
        Statement st;
        std::string error;
        if (!Prepare(db_, "EXPLAIN QUERY PLAN " + q, &st, &error)) {
            lines.push_back(error);
            continue;
        }
        lines.push_back(q.substr(0, 60) + (q.size() > 60 ? "..." : ""));
        while (sqlite3_step(st.s) == SQLITE_ROW) lines.push_back("  " + Text(st.s, 3));
    }
    return lines;
}
