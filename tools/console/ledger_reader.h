// The credit service's database, read-only: the balances now, and the ledger's changes grouped
// into what they mean for the operator's money.
#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

// What a ledger change means. The service records only the request and who sent it, so two kinds
// are told apart by the sender's previous change (within the 64 before): a CADD whose sender's
// previous change was a stake (CUSE of 50) or a prize to the bank is the pence part of a prize,
// as the cabinet pays a prize on the connection it staked on; any other CADD is money put in. A
// CUSE of 50 is a stake (the game's stake is fixed); any other CUSE is credit taken out.
enum class EntryKind { MoneyIn, Stake, PrizeToBank, PrizeToCredit, TakenOut, Payout, Other };
constexpr EntryKind AllKinds[] = {EntryKind::MoneyIn,     EntryKind::Stake,
                                  EntryKind::PrizeToBank, EntryKind::PrizeToCredit,
                                  EntryKind::TakenOut,    EntryKind::Payout};
const char* KindName(EntryKind kind);  // "money in", "stake", ...
const char* KindKey(EntryKind kind);   // "in", "stake", "bank", "credit", "out", "payout"
bool KindFromKey(const std::string& key, EntryKind* kind);

struct LedgerEntry {
    int64_t id = 0;
    std::string time;  // UTC, "YYYY-MM-DDTHH:MM:SS.mmmZ"
    std::string client;
    std::string request;
    int64_t amount = 0;
    int64_t credit = 0;
    int64_t bank = 0;
    EntryKind kind = EntryKind::Other;
};

struct MoneyTotals {
    int64_t games = 0;  // stakes taken
    int64_t moneyIn = 0, stakes = 0, prizesToBank = 0, prizesToCredit = 0, takenOut = 0;
    int64_t payouts = 0;
    int64_t Prizes() const { return prizesToBank + prizesToCredit; }
    // The cabinet's takings: stakes less the prizes won.
    int64_t Net() const { return stakes - Prizes(); }
};

struct PeriodRow {
    std::string period;  // "2026-12-09", "2026-W50" or "2026-12"
    MoneyTotals totals;
};

enum class Period { Day, Week, Month };

// A filter of the ledger's pages; empty dates are open ends (local dates, "YYYY-MM-DD").
struct LedgerFilter {
    bool anyKind = true;
    EntryKind kind = EntryKind::MoneyIn;
    std::string from, to;
};

class LedgerReader {
  public:
    LedgerReader() = default;
    LedgerReader(const LedgerReader&) = delete;
    LedgerReader& operator=(const LedgerReader&) = delete;
    ~LedgerReader();

    // Opens the database read-only (it is never written through this connection).
    bool Open(const std::string& path, std::string* error);
    bool Balances(int64_t* credit, int64_t* bank, std::string* error);
    // The overview's totals in one pass: since two UTC times (today's and this week's start),
    // and since the last cash collection, with that collection's time (empty when none). When
    // there is no collection since the horizon (a UTC time), the totals since the horizon are
    // given instead, so that the pass stays short however long the ledger.
    struct Overview {
        MoneyTotals today, week, sincePayout;
        std::string payoutTime;
        bool sinceHorizon = false;
    };
    bool ReadOverview(const std::string& todayUtc, const std::string& weekUtc,
                      const std::string& horizonUtc, Overview* overview, std::string* error);
    // One page of the filtered ledger, newest first: the rows with ids below `before` (0: from
    // the newest), at most `count` of them. `more` tells whether older rows match.
    bool Page(const LedgerFilter& filter, int64_t before, int count, std::vector<LedgerEntry>* rows,
              bool* more, std::string* error);
    // Every filtered row, oldest first (for CSV).
    bool All(const LedgerFilter& filter, std::vector<LedgerEntry>* rows, std::string* error);
    // The totals per local day, week or month between two local dates (inclusive, open when
    // empty), oldest first; and their sum.
    bool Report(Period period, const std::string& from, const std::string& to,
                std::vector<PeriodRow>* rows, MoneyTotals* sum, std::string* error);
    // SQLite's plan for the overview's queries, one line per step (benchmarks show it).
    std::vector<std::string> OverviewPlan();

  private:
    // The first id at or after a UTC time, found by halving over the primary key: the ledger's
    // times rise with its ids, as one writer stamps each change inside its transaction.
    bool FirstIdAt(const std::string& utcTime, int64_t* id, std::string* error);
    bool IdRange(const LedgerFilter& filter, int64_t* first, int64_t* last, std::string* error);
    bool LastId(int64_t* id, std::string* error);
    // Calls `visit` for each change with an id in [first, last], oldest first, with its kind
    // (the changes just before `first` are read too, for the kinds); false when `visit` stops it
    // or the ledger cannot be read (then with a message).
    template <class Visit>
    bool Scan(int64_t first, int64_t last, Visit visit, std::string* error);
    sqlite3* db_ = nullptr;
    std::mutex mutex_;
};

// Local dates and times as the console shows them, from the ledger's UTC text.
std::string LocalTimeText(const std::string& utcTime);  // "2026-12-09 16:51:54"
// The UTC text of local midnight starting a local date ("YYYY-MM-DD"); empty when not a date.
std::string UtcOfLocalDate(const std::string& localDate);
// Today's local date, and the local date of this week's Monday.
std::string LocalToday();
std::string LocalWeekStart();
// The UTC time some days before now, as the ledger writes times.
std::string UtcDaysAgo(int days);
