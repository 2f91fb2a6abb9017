#include "ledger_reader.h"

#include <sqlite3.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <string_view>

namespace {
// How far back a CADD's sender is looked for.
constexpr int64_t SenderLookBack = 64;

// One change as read, its texts pointing into the statement's row.
struct LedgerView {
    int64_t id = 0;
    std::string_view time, client, request;
    int64_t amount = 0, credit = 0, bank = 0;
    EntryKind kind = EntryKind::Other;
};

// The kinds of the changes, read oldest first: each sender's previous change is remembered.
class Classifier {
  public:
    EntryKind Classify(int64_t id, std::string_view client, std::string_view request,
                       int64_t amount) {
        EntryKind kind = EntryKind::Other;
        if (request == "CADD") {
            auto it = last_.find(client);
            bool prize =
                it != last_.end() && id - it->second.id <= SenderLookBack &&
                (it->second.kind == EntryKind::Stake || it->second.kind == EntryKind::PrizeToBank);
            kind = prize ? EntryKind::PrizeToCredit : EntryKind::MoneyIn;
        } else if (request == "CUSE") {
            kind = amount == 50 ? EntryKind::Stake : EntryKind::TakenOut;
        } else if (request == "BADD") {
            kind = EntryKind::PrizeToBank;
        } else if (request == "PAYO") {
            kind = EntryKind::Payout;
        }
        if (last_.size() > 4096)
            std::erase_if(last_, [id](const auto& e) { return id - e.second.id > SenderLookBack; });
        auto it = last_.find(client);
        if (it == last_.end()) it = last_.emplace(std::string(client), Last{}).first;
        it->second = Last{id, kind};
        return kind;
    }

  private:
    struct Last {
        int64_t id = 0;
        EntryKind kind = EntryKind::Other;
    };
    std::map<std::string, Last, std::less<>> last_;
};

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
// The local date of the Monday starting the week of a local date.
std::string WeekStartOf(const std::string& date) {
    std::tm tm;
    if (!ParseDate(date, &tm)) return date;
    tm.tm_hour = 12;
    std::time_t t = std::mktime(&tm);
    std::tm local{};
    localtime_r(&t, &local);
    return LocalDateOf(t, -((local.tm_wday + 6) % 7));
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

std::string UtcDaysAgo(int days) {
    std::time_t t = std::time(nullptr) - static_cast<std::time_t>(days) * 86400;
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.000Z", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
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
    if (!Prepare(db_,
                 "SELECT ifnull((SELECT min(id) FROM ledger), 1), ifnull((SELECT max(id) FROM "
                 "ledger), 0)",
                 &bounds, error) ||
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

bool LedgerReader::LastId(int64_t* id, std::string* error) {
    Statement st;
    if (!Prepare(db_, "SELECT ifnull((SELECT max(id) FROM ledger), 0)", &st, error)) return false;
    if (sqlite3_step(st.s) != SQLITE_ROW) return Done(db_, SQLITE_ERROR, error);
    *id = sqlite3_column_int64(st.s, 0);
    return true;
}

template <class Visit>
bool LedgerReader::Scan(int64_t first, int64_t last, Visit visit, std::string* error) {
    Statement st;
    if (!Prepare(db_,
                 "SELECT id, time, client, request, amount, credit, bank FROM ledger"
                 " WHERE id BETWEEN ?1 AND ?2 ORDER BY id",
                 &st, error))
        return false;
    sqlite3_bind_int64(st.s, 1, first > SenderLookBack ? first - SenderLookBack : 0);
    sqlite3_bind_int64(st.s, 2, last);
    Classifier classifier;
    auto view = [&st](int column) {
        const unsigned char* t = sqlite3_column_text(st.s, column);
        return t ? std::string_view(reinterpret_cast<const char*>(t),
                                    static_cast<size_t>(sqlite3_column_bytes(st.s, column)))
                 : std::string_view();
    };
    int rc;
    while ((rc = sqlite3_step(st.s)) == SQLITE_ROW) {
        LedgerView row;
        row.id = sqlite3_column_int64(st.s, 0);
        row.time = view(1);
        row.client = view(2);
        row.request = view(3);
        row.amount = sqlite3_column_int64(st.s, 4);
        row.credit = sqlite3_column_int64(st.s, 5);
        row.bank = sqlite3_column_int64(st.s, 6);
        row.kind = classifier.Classify(row.id, row.client, row.request, row.amount);
        if (row.id >= first && !visit(row)) return true;
    }
    return Done(db_, rc, error);
}

bool LedgerReader::ReadOverview(const std::string& todayUtc, const std::string& weekUtc,
                                const std::string& horizonUtc, Overview* overview,
                                std::string* error) {
    std::lock_guard lock(mutex_);
    *overview = Overview{};
    int64_t today = 0, week = 0, payout = 0, horizon = 0;
    Statement st;
    // The service keeps a partial index of its payout rows: this is one index look-up.
    if (!FirstIdAt(todayUtc, &today, error) || !FirstIdAt(weekUtc, &week, error) ||
        !Prepare(db_,
                 "SELECT id, time FROM ledger WHERE id = (SELECT max(id) FROM ledger"
                 " WHERE request = 'PAYO')",
                 &st, error))
        return false;
    int rc = sqlite3_step(st.s);
    if (rc == SQLITE_ROW) {
        payout = sqlite3_column_int64(st.s, 0);
        overview->payoutTime = Text(st.s, 1);
    } else if (!Done(db_, rc, error)) {
        return false;
    }
    if (!FirstIdAt(horizonUtc, &horizon, error)) return false;
    if (payout + 1 < horizon) {
        overview->sinceHorizon = true;
        payout = horizon - 1;
    }
    return Scan(
        std::min(week, payout + 1), INT64_MAX,
        [&](const LedgerView& row) {
            if (row.id >= today) AddToTotals(row.kind, 1, row.amount, &overview->today);
            if (row.id >= week) AddToTotals(row.kind, 1, row.amount, &overview->week);
            if (row.id > payout) AddToTotals(row.kind, 1, row.amount, &overview->sincePayout);
            return true;
        },
        error);
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

namespace {
LedgerEntry Entry(const LedgerView& v) {
    return LedgerEntry{v.id,
                       std::string(v.time),
                       std::string(v.client),
                       std::string(v.request),
                       v.amount,
                       v.credit,
                       v.bank,
                       v.kind};
}

bool Matches(const LedgerFilter& filter, EntryKind kind) {
    return filter.anyKind || filter.kind == kind;
}
}  // namespace

bool LedgerReader::Page(const LedgerFilter& filter, int64_t before, int count,
                        std::vector<LedgerEntry>* rows, bool* more, std::string* error) {
    std::lock_guard lock(mutex_);
    int64_t first, last;
    if (!IdRange(filter, &first, &last, error)) return false;
    if (before > 0 && before - 1 < last) last = before - 1;
    if (last == INT64_MAX && !LastId(&last, error)) return false;
    // Newest first: windows read backwards, each scanned forwards for the kinds.
    const int64_t window = 512;
    *more = false;
    for (int64_t high = last; high >= first && high > 0; high -= window) {
        int64_t low = std::max(first, high - window + 1);
        std::vector<LedgerEntry> found;
        if (!Scan(
                low, high,
                [&](const LedgerView& row) {
                    if (Matches(filter, row.kind)) found.push_back(Entry(row));
                    return true;
                },
                error))
            return false;
        for (auto it = found.rbegin(); it != found.rend(); ++it) {
            if (rows->size() == static_cast<size_t>(count)) {
                *more = true;
                return true;
            }
            rows->push_back(std::move(*it));
        }
    }
    return true;
}

bool LedgerReader::All(const LedgerFilter& filter, std::vector<LedgerEntry>* rows,
                       std::string* error) {
    std::lock_guard lock(mutex_);
    int64_t first, last;
    if (!IdRange(filter, &first, &last, error)) return false;
    return Scan(
        first, last,
        [&](const LedgerView& row) {
            if (Matches(filter, row.kind)) rows->push_back(Entry(row));
            return true;
        },
        error);
}

bool LedgerReader::Report(Period period, const std::string& from, const std::string& to,
                          std::vector<PeriodRow>* rows, MoneyTotals* sum, std::string* error) {
    std::lock_guard lock(mutex_);
    LedgerFilter filter;
    filter.from = from, filter.to = to;
    int64_t first, last;
    if (!IdRange(filter, &first, &last, error)) return false;
    *sum = MoneyTotals{};
    // A change's local period depends only on its UTC hour: kept for the hour.
    std::string hour, key;
    return Scan(
        first, last,
        [&](const LedgerView& row) {
            if (row.time.substr(0, 13) != hour) {
                hour = std::string(row.time.substr(0, 13));
                std::string date = LocalTimeText(std::string(row.time)).substr(0, 10);
                key = period == Period::Day    ? date
                      : period == Period::Week ? WeekStartOf(date)
                                               : date.substr(0, 7);
            }
            if (rows->empty() || rows->back().period != key) rows->push_back(PeriodRow{key, {}});
            AddToTotals(row.kind, 1, row.amount, &rows->back().totals);
            AddToTotals(row.kind, 1, row.amount, sum);
            return true;
        },
        error);
}

std::vector<std::string> LedgerReader::OverviewPlan() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> lines;
    const char* queries[] = {
        "SELECT id, time FROM ledger WHERE id >= ?1 ORDER BY id LIMIT 1",
        "SELECT id, time FROM ledger WHERE id = (SELECT max(id) FROM ledger WHERE request ="
        " 'PAYO')",
        "SELECT id, time, client, request, amount, credit, bank FROM ledger WHERE id BETWEEN ?1"
        " AND ?2 ORDER BY id",
    };
    for (const char* q : queries) {
        Statement st;
        std::string error;
        if (!Prepare(db_, std::string("EXPLAIN QUERY PLAN ") + q, &st, &error)) {
            lines.push_back(error);
            continue;
        }
        lines.push_back(q);
        while (sqlite3_step(st.s) == SQLITE_ROW) lines.push_back("  " + Text(st.s, 3));
    }
    return lines;
}
