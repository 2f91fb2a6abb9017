// The console's overview page over a ledger of 1,000,000 changes, served in-process and fetched
// by a real HTTP client with a signed-in session. Target: under 50 ms a page.
// The ledger is about two years of play: games staked by the cabinet's connection, a prize in
// about a third of them, coins from another connection, and a cash collection each week; the
// last changes are today's. A second ledger of the same size was never collected (a cabinet
// from before cash collections existed): its payout figure covers the last 7 days instead.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <thread>

#include "console_server.h"
#include "ledger_reader.h"
#include "passwords.h"
#include "store.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {
constexpr int64_t LedgerRows = 1000000;
constexpr const char* Password = "a long bench password";

std::string UtcText(std::time_t t, int ms) {
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, ms);
    return text;
}

// Writes the ledger through the credit store's own schema, then fills it in one transaction.
bool MakeLedger(const std::string& path, bool collections) {
    {
        CreditStore store;
        std::string error;
        if (!store.Open(path, false, &error)) return false;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return false;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* add = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO ledger (time, client, request, amount, credit, bank)"
                       " VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                       -1, &add, nullptr);
    std::time_t now = std::time(nullptr);
    const double span = 730.0 * 86400;
    std::time_t start = now - static_cast<std::time_t>(span);
    int64_t credit = 0, bank = 0, week = -1;
    uint32_t random = 12345;
    auto next = [&random] { return random = random * 1103515245u + 12345u; };
    for (int64_t i = 0; i < LedgerRows; ++i) {
        std::time_t t = start + static_cast<std::time_t>(span * static_cast<double>(i) /
                                                         static_cast<double>(LedgerRows));
        const char* client = "127.0.0.1:40000";
        const char* request;
        int64_t amount;
        int64_t thisWeek = (t - start) / (7 * 86400);
        if (collections && thisWeek != week && bank > 0) {
            request = "PAYO", amount = bank, bank = 0, client = "127.0.0.1:50001";
            week = thisWeek;
        } else if (credit + bank < 50) {
            request = "CADD", amount = 100, credit += 100, client = "127.0.0.1:50000";
        } else if ((next() >> 16) % 3 == 0 && i % 2 == 1) {
            request = "BADD", amount = 100 * (1 + (next() >> 16) % 5), bank += amount;
        } else {
            request = "CUSE", amount = 50;
            int64_t fromCredit = std::min<int64_t>(credit, 50);
            credit -= fromCredit, bank -= 50 - fromCredit;
        }
        std::string time = UtcText(t, static_cast<int>(i % 1000));
        sqlite3_bind_text(add, 1, time.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(add, 2, client, -1, SQLITE_STATIC);
        sqlite3_bind_text(add, 3, request, -1, SQLITE_STATIC);
        sqlite3_bind_int64(add, 4, amount);
        sqlite3_bind_int64(add, 5, credit);
        sqlite3_bind_int64(add, 6, bank);
        sqlite3_step(add);
        sqlite3_reset(add);
    }
    sqlite3_finalize(add);
    std::string balances = "UPDATE balances SET credit = " + std::to_string(credit) +
                           ", bank = " + std::to_string(bank);
    sqlite3_exec(db, balances.c_str(), nullptr, nullptr, nullptr);
    bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

struct Served {
    ScratchFolder scratch{"console-bench"};
    fs::path folder = scratch.path();
    ConsoleServer server;
    std::thread thread;
    std::string cookie;
    int port = 0;
};

// Starts the console on a ledger and signs in through its form.
std::unique_ptr<Served> Serve(bool collections) {
    auto s = std::make_unique<Served>();
    fs::create_directories(s->folder / "cabinet");
    std::string error;
    if (!StartCrypto() || !MakeLedger((s->folder / "credit.db").string(), collections) ||
        !WritePasswordFile((s->folder / "auth").string(), Password, &error))
        return nullptr;
    ConsoleSettings settings;
    settings.folder = (s->folder / "cabinet").string();
    settings.db = (s->folder / "credit.db").string();
    settings.auth = (s->folder / "auth").string();
    settings.port = 0;
    if (!s->server.Prepare(settings, &error)) return nullptr;
    s->port = s->server.port();
    s->thread = std::thread([p = s.get()] { p->server.Run(); });
    httplib::Client client("127.0.0.1", s->port);
    httplib::Result form = client.Get("/login");
    if (!form) return nullptr;
    std::string set = form->get_header_value("Set-Cookie");
    std::string cookie = set.substr(0, set.find(';'));
    size_t at = form->body.find("name=\"csrf\" value=\"") + 19;
    std::string csrf = form->body.substr(at, 64);
    httplib::Result in = client.Post("/login", {{"Cookie", cookie}},
                                     httplib::Params{{"password", Password}, {"csrf", csrf}});
    if (!in || in->status != 303) return nullptr;
    set = in->get_header_value("Set-Cookie");
    s->cookie = set.substr(0, set.find(';'));
    return s;
}

void Overview(benchmark::State& state, bool collections) {
    std::unique_ptr<Served> s = Serve(collections);
    if (!s) {
        state.SkipWithError("the console could not be started on the ledger");
        return;
    }
    LedgerReader reader;
    std::string error;
    static bool planShown = false;
    if (!planShown && reader.Open((s->folder / "credit.db").string(), &error))
        for (const std::string& line : reader.OverviewPlan())
            std::fprintf(stderr, "plan: %s\n", line.c_str()), planShown = true;
    httplib::Client client("127.0.0.1", s->port);
    httplib::Headers headers{{"Cookie", s->cookie}};
    size_t bytes = 0;
    for (auto _ : state) {
        httplib::Result r = client.Get("/", headers);
        if (!r || r->status != 200 || r->body.find("Games this week") == std::string::npos) {
            state.SkipWithError("the overview was not served");
            break;
        }
        bytes = r->body.size();
    }
    state.counters["page_bytes"] = static_cast<double>(bytes);
    s->server.Stop();
    s->thread.join();
}

void BM_OverviewOverAMillionChanges(benchmark::State& state) {
    Overview(state, true);
}
BENCHMARK(BM_OverviewOverAMillionChanges)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_OverviewOverAMillionChangesNeverCollected(benchmark::State& state) {
    Overview(state, false);
}
BENCHMARK(BM_OverviewOverAMillionChangesNeverCollected)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
}  // namespace

BENCHMARK_MAIN();
