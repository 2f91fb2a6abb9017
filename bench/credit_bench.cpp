// Exchanges per second with the credit service, each beside a reference measured in the same run
// on the same processor: "CGET" against a bare loopback echo of the same line, and "CADD,1" (a
// durable change with its ledger row) against a bare SQLite WAL + FULL single-row commit loop.
// Targets: each at least half its reference.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "platform/net.h"
#include "platform/net_server.h"
#include "platform/process.h"
#include "support/credit_service.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* EchoCommand = "echo-serve";

struct Setup {
    fs::path folder;
    ProcessId service = NoProcess;
    ProcessId echo = NoProcess;
    uint16_t servicePort = 0;
    uint16_t echoPort = 0;
};
Setup gSetup;

// The bare echo: one connection at a time, every read written straight back.
int RunEchoServer() {
    SocketHandle listener = ListenOnLoopback(0);
    if (listener == InvalidSocket) return 1;
    std::fprintf(stderr, "listening on 127.0.0.1:%u\n", SocketLocalPort(listener));
    std::fflush(stderr);
    for (;;) {
        SocketWait wait{listener, false};
        if (WaitForSockets(&wait, 1, -1) <= 0) continue;
        SocketHandle s = AcceptConnection(listener, nullptr);
        char buffer[256];
        long n;
        while ((n = ReceiveOnSocket(s, buffer, sizeof buffer, -1)) > 0)
            if (SendOnSocket(s, buffer, static_cast<size_t>(n)) != n) break;
        CloseSocket(s);
    }
}

// Sends the line and reads one reply per iteration; the reply must start with `tag`.
void Exchanges(benchmark::State& state, uint16_t port, const char* line, const char* tag) {
    SocketHandle s = OpenTcpSocket();
    if (!ConnectSocket(s, "127.0.0.1", port)) {
        state.SkipWithError("cannot connect");
        CloseSocket(s);
        return;
    }
    size_t length = std::strlen(line);
    char reply[64];
    for (auto _ : state) {
        if (SendOnSocket(s, line, length) != static_cast<long>(length)) {
            state.SkipWithError("send failed");
            break;
        }
        long n = ReceiveOnSocket(s, reply, sizeof reply, 2000);
        if (n < 4 || std::memcmp(reply, tag, 4) != 0) {
            state.SkipWithError("no reply, or the wrong one");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
    CloseSocket(s);
}

void BM_EchoReference(benchmark::State& state) {
    Exchanges(state, gSetup.echoPort, "CGET\r\n", "CGET");
}
void BM_CreditGet(benchmark::State& state) {
    Exchanges(state, gSetup.servicePort, "CGET\r\n", "CTEL");
}

void BM_SqliteCommitReference(benchmark::State& state) {
    sqlite3* db = nullptr;
    std::string path = (gSetup.folder / "reference.db").string();
    sqlite3_stmt *begin = nullptr, *update = nullptr, *commit = nullptr;
    bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
              sqlite3_exec(db,
                           "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
                           "CREATE TABLE IF NOT EXISTS t (id INTEGER PRIMARY KEY, v INTEGER);"
                           "INSERT OR IGNORE INTO t VALUES (1, 0);",
                           nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_prepare_v2(db, "BEGIN IMMEDIATE", -1, &begin, nullptr) == SQLITE_OK &&
              sqlite3_prepare_v2(db, "UPDATE t SET v = v + 1 WHERE id = 1", -1, &update, nullptr) ==
                  SQLITE_OK &&
              sqlite3_prepare_v2(db, "COMMIT", -1, &commit, nullptr) == SQLITE_OK;
    if (!ok) state.SkipWithError("cannot set up the reference database");
    for (auto _ : state) {
        if (!ok) break;
        for (sqlite3_stmt* st : {begin, update, commit}) {
            if (sqlite3_step(st) != SQLITE_DONE) {
                state.SkipWithError("commit failed");
                ok = false;
            }
            sqlite3_reset(st);
        }
    }
    state.SetItemsProcessed(state.iterations());
    sqlite3_finalize(begin);
    sqlite3_finalize(update);
    sqlite3_finalize(commit);
    sqlite3_close(db);
}
void BM_CreditAddDurable(benchmark::State& state) {
    Exchanges(state, gSetup.servicePort, "CADD,1\r\n", "CTEL");
}

BENCHMARK(BM_EchoReference)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_CreditGet)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_SqliteCommitReference)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_CreditAddDurable)->UseRealTime()->MinTime(3.0);

// The console report, followed by each exchange's rate against its reference.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred) {
                Totals& t = totals_[r.run_name.function_name];
                t.iterations += static_cast<double>(r.iterations);
                t.seconds += r.real_accumulated_time;
            }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatios() {
        Ratio("CGET", "BM_CreditGet", "bare loopback echo", "BM_EchoReference");
        Ratio("CADD,1", "BM_CreditAddDurable", "bare WAL+FULL commit", "BM_SqliteCommitReference");
    }

  private:
    struct Totals {
        double iterations = 0, seconds = 0;
        double Rate() const { return seconds > 0 ? iterations / seconds : 0; }
    };
    void Ratio(const char* what, const char* name, const char* reference, const char* refName) {
        double rate = totals_[name].Rate(), refRate = totals_[refName].Rate();
        if (rate <= 0 || refRate <= 0) return;
        std::printf("%-7s %10.0f /s   %-21s %10.0f /s   ratio %.2f (target at least 0.50): %s\n",
                    what, rate, reference, refRate, rate / refRate,
                    rate / refRate >= 0.5 ? "met" : "NOT met");
    }
    std::map<std::string, Totals> totals_;
};
}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], EchoCommand) == 0) return RunEchoServer();
    // The client, the service and the echo all run on one processor (children inherit it).
    if (!PinToProcessor(0)) std::fprintf(stderr, "could not pin to processor 0\n");
    ScratchFolder scratch("credit-bench");
    gSetup.folder = scratch.path();
    gSetup.service =
        StartListeningProgram({CREDIT_SERVICE_PATH, "serve", "--db",
                               (gSetup.folder / "credit.db").string(), "--port", "0"},
                              (gSetup.folder / "service.log").string(), &gSetup.servicePort);
    gSetup.echo = StartListeningProgram({fs::absolute(argv[0]).string(), EchoCommand},
                                        (gSetup.folder / "echo.log").string(), &gSetup.echoPort);
    int rc = 1;
    if (gSetup.service != NoProcess && gSetup.echo != NoProcess) {
        benchmark::Initialize(&argc, argv);
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        reporter.PrintRatios();
        benchmark::Shutdown();
        rc = 0;
    } else {
        std::fprintf(stderr, "the credit service or the echo server did not start\n");
    }
    for (ProcessId p : {gSetup.service, gSetup.echo}) {
        StopProcess(p);
        WaitProcess(p);
    }
    return rc;
}
