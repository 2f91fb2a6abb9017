// Three cabinets of a fleet, each played by the simulator against its own credit service and
// followed by its telemetry agent, through a broker that goes away for a while, a collector
// killed with SIGKILL and an agent killed likewise: every game and ledger entry ends up in the
// fleet's database exactly once, the fleet report adds up to each cabinet's own ledger, and the
// killed agent's cabinet shows offline (in the database and on the console's fleet page) while it
// is down. The long variant plays more games and keeps the broker away for a minute.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>

#include "support/console_rig.h"
#include "support/fleet_services.h"

namespace fs = std::filesystem;
using fleet::WaitFor;

namespace {
#ifndef FLEET_GAMES_A_ROUND
#define FLEET_GAMES_A_ROUND 25
#define FLEET_OUTAGE_SECONDS 3
#define FLEET_TEST_NAME EveryGameAndLedgerEntryArrivesOnceThroughOutagesAndKills
#endif
constexpr int GamesARound = FLEET_GAMES_A_ROUND;
constexpr int OutageSeconds = FLEET_OUTAGE_SECONDS;

// The number after a label of the simulator's report, or -1 when the label is missing.
double Figure(const std::string& report, const std::string& label) {
    size_t at = report.find(label);
    return at == std::string::npos ? -1 : std::stod(report.substr(at + label.size()));
}

std::string Sqlite(const std::string& db, const std::string& sql) {
    Captured c = CaptureCommand("sqlite3 -readonly '" + db + "' \"" + sql + "\"");
    while (!c.out.empty() && c.out.back() == '\n') c.out.pop_back();
    return c.out;
}

struct Cabinet {
    std::string id;
    fs::path folder;
    std::string creditDb;
    std::unique_ptr<ServiceProcess> credit;
    ProcessId agent = NoProcess;
    std::vector<std::string> agentArgs;
    int round = 0;

    void StartAgent() {
        agent = StartProcess(agentArgs, "",
                             (folder / ("agent" + std::to_string(round) + ".log")).string());
    }
    void StopAgent() {
        if (agent == NoProcess) return;
        StopProcess(agent);
        WaitProcess(agent);
        agent = NoProcess;
    }
    std::string lastReport;
    long played = 0;
    // Plays a round of `games` on the cabinet's own working folder and credit service. The
    // simulator counts the games of every run on the folder: each round plays up to the total
    // so far, and its report covers them all.
    void Play(int seed, int games) {
        ++round;
        played += games;
        lastReport =
            CaptureCommand(std::string(SIM_TOOL) + " --stage " + BRINDLEMARK_STAGE_DIR +
                           " --folder '" + (folder / "cabinet").string() + "' --port " +
                           std::to_string(credit->port()) + " --games " + std::to_string(played) +
                           " --skill 0.9 --seed " + std::to_string(seed) + " 2>&1")
                .out;
    }
    // The highest game number in the cabinet's recall (0 when none).
    long LastGame() const {
        long last = 0;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(folder / "cabinet" / "data" / "recall", ec)) {
            std::string name = e.path().filename().string();
            if (name.size() == 13 && name.substr(8) == ".json")
                last = std::max(last, std::stol(name.substr(0, 8)));
        }
        return last;
    }
    std::string AgentLogs() const {
        std::string all;
        for (int r = 0; r <= round; ++r)
            all += ReadText((folder / ("agent" + std::to_string(r) + ".log")).string());
        return all;
    }
};

class FleetTest : public ::testing::Test {
  protected:
    ScratchFolder scratch{"fleet"};
    fleet::Postgres db{scratch.path() / "pg"};
    fleet::Broker broker{scratch.path() / "broker", FLEET_SETUP};
    ProcessId collector = NoProcess;
    int collectorRuns = 0;

    void StartCollector() {
        collector =
            StartProcess({COLLECTOR_TOOL, "run", "--db", db.url(), "--broker", broker.address(),
                          "--user", "brindlemark-collector", "--password-file",
                          broker.Client("brindlemark-collector", "password").string()},
                         "", scratch.File("collector" + std::to_string(++collectorRuns) + ".log"));
    }
    void TearDown() override {
        if (collector != NoProcess) {
            StopProcess(collector);
            WaitProcess(collector);
        }
    }
};

TEST_F(FleetTest, FLEET_TEST_NAME) {
    ASSERT_TRUE(db.running()) << db.error();
    ASSERT_TRUE(broker.running()) << broker.setUpOutput();
    StartCollector();

    std::vector<std::unique_ptr<Cabinet>> cabinets;
    for (std::string id : {"pub-1", "pub-2", "pub-3"}) {
        ASSERT_TRUE(broker.AddCabinet(id));
        auto c = std::make_unique<Cabinet>();
        c->id = id;
        c->folder = scratch.path() / id;
        fs::create_directories(c->folder / "cabinet");
        c->creditDb = (c->folder / "credit.db").string();
        c->credit =
            std::make_unique<ServiceProcess>(c->creditDb, (c->folder / "credit.log").string());
        ASSERT_TRUE(c->credit->started());
        c->agentArgs = {TELEMETRY_TOOL,
                        "--cabinet",
                        id,
                        "--folder",
                        (c->folder / "cabinet").string(),
                        "--credit-db",
                        c->creditDb,
                        "--outbox",
                        (c->folder / "outbox.db").string(),
                        "--broker",
                        broker.address(),
                        "--password-file",
                        broker.Client(id, "password").string(),
                        "--heartbeat",
                        "1",
                        "--resend",
                        "5"};
        // The third cabinet's outbox is small: while the broker is away it fills, drops its
        // oldest heartbeats and leaves games and money in the cabinet's own files.
        // With more games a round it holds most of a round: a cabinet whose outbox stays full
        // for more games than the recall keeps (100) loses the oldest from the fleet's view.
        if (id == "pub-3")
            c->agentArgs.insert(c->agentArgs.end(),
                                {"--outbox-limit", GamesARound < 100 ? "40" : "1000"});
        c->StartAgent();
        cabinets.push_back(std::move(c));
    }
    int seed = 1;
    // While an agent is down its cabinet's games wait only in the recall (the newest 100): the
    // round it misses is kept shorter than that, as the agent's unit starts it again in seconds.
    auto playRound = [&](int games = GamesARound) {
        for (auto& c : cabinets) c->Play(seed++, games);
    };

    playRound();
    // The broker goes away while the cabinets play on.
    broker.Stop();
    playRound();
    std::this_thread::sleep_for(std::chrono::seconds(OutageSeconds));
    broker.Start();

    // The collector dies as in a power cut, and starts again.
    ASSERT_TRUE(WaitFor(30, [&] { return db.Value("SELECT count(*) FROM games") != "0"; }));
    KillProcessHard(collector);
    WaitProcess(collector);
    playRound();
    StartCollector();

    // An agent dies likewise: its cabinet shows offline until it is back.
    Cabinet& killed = *cabinets[1];
    KillProcessHard(killed.agent);
    WaitProcess(killed.agent);
    killed.agent = NoProcess;
    std::string stateSql = "SELECT state FROM cabinets WHERE cabinet = 'pub-2'";
    EXPECT_TRUE(WaitFor(20, [&] { return db.Value(stateSql) == "offline"; })) << db.Value(stateSql);
    playRound(std::min(GamesARound, 60));
    EXPECT_EQ(db.Value(stateSql), "offline");
    // The operator sees it on the fleet's page.
    ProcessId console = NoProcess;
    int consolePort = StartFleetConsole(db.url(), scratch, &console);
    ASSERT_NE(consolePort, 0) << ReadText(scratch.File("console.log"));
    ConsoleClient op(consolePort);
    ASSERT_EQ(op.SignIn(OperatorPassword), 303);
    httplib::Result fleetPage = op.Get("/");
    StopProcess(console);
    WaitProcess(console);
    ASSERT_TRUE(fleetPage);
    EXPECT_NE(fleetPage->body.find(">pub-2</a></td><td class=\"warn\">offline</td>"),
              std::string::npos)
        << fleetPage->body;
    EXPECT_NE(fleetPage->body.find(">pub-1</a></td><td class=\"good\">online</td>"),
              std::string::npos);
    killed.StartAgent();
    EXPECT_TRUE(WaitFor(20, [&] { return db.Value(stateSql) == "online"; }));
    playRound();

    // Everything arrives.
    auto arrived = [&](const Cabinet& c) {
        return db.Value("SELECT count(DISTINCT entry) FROM ledger WHERE cabinet = '" + c.id +
                        "'") == Sqlite(c.creditDb, "SELECT count(*) FROM ledger") &&
               db.Value("SELECT count(DISTINCT game) FROM games WHERE cabinet = '" + c.id + "'") ==
                   std::to_string(c.LastGame());
    };
    EXPECT_TRUE(WaitFor(120, [&] {
        for (auto& c : cabinets)
            if (!arrived(*c)) return false;
        return true;
    }));

    Captured report = CaptureCommand(std::string(COLLECTOR_TOOL) + " report --db '" + db.url() +
                                     "' --period quarter --csv");
    ASSERT_EQ(report.status, 0) << report.out;
    // games, stakes, prizes, net takings, credit added, credit used, paid to bank, paid out
    std::map<std::string, std::vector<long long>> totals;
    std::istringstream lines(report.out);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::vector<std::string> cells;
        std::istringstream fields(line);
        for (std::string cell; std::getline(fields, cell, ',');) cells.push_back(cell);
        ASSERT_EQ(cells.size(), 10u) << line;
        auto& t = totals[cells[1]];
        t.resize(8);
        for (int i = 0; i < 8; ++i) t[i] += std::stoll(cells[2 + i]);
    }

    for (auto& c : cabinets) {
        SCOPED_TRACE(c->id);
        std::string where = " WHERE cabinet = '" + c->id + "'";
        long games = c->LastGame();
        EXPECT_EQ(games, c->played);
        // Exactly once: as many rows as distinct entries, numbered from 1 without a gap.
        std::string ledgerCount = Sqlite(c->creditDb, "SELECT count(*) FROM ledger");
        EXPECT_NE(ledgerCount, "0");
        EXPECT_EQ(db.Value("SELECT count(*) FROM ledger" + where), ledgerCount);
        EXPECT_EQ(db.Value("SELECT count(DISTINCT entry) FROM ledger" + where), ledgerCount);
        EXPECT_EQ(db.Value("SELECT max(entry) FROM ledger" + where), ledgerCount);
        EXPECT_EQ(db.Value("SELECT count(*) FROM games" + where), std::to_string(games));
        EXPECT_EQ(db.Value("SELECT count(DISTINCT game) FROM games" + where),
                  std::to_string(games));
        EXPECT_EQ(db.Value("SELECT min(game) || '-' || max(game) FROM games" + where),
                  "1-" + std::to_string(games));
        EXPECT_EQ(db.Value("SELECT count(*) FROM meters" + where), std::to_string(games));
        EXPECT_EQ(
            db.Value("SELECT count(*) FROM faults" + where + " AND line LIKE '%left the recall%'"),
            "0");
        // The fleet report's totals are the cabinet's own ledger's.
        auto sum = [&](const char* request) {
            std::string s = Sqlite(c->creditDb, std::string("SELECT coalesce(sum(amount), 0) FROM "
                                                            "ledger WHERE request = '") +
                                                    request + "'");
            return s.empty() ? -1 : std::stoll(s);
        };
        ASSERT_EQ(totals[c->id].size(), 8u);
        EXPECT_EQ(totals[c->id][0], games);
        EXPECT_EQ(totals[c->id][4], sum("CADD"));
        EXPECT_EQ(totals[c->id][5], sum("CUSE"));
        EXPECT_EQ(totals[c->id][6], sum("BADD"));
        EXPECT_GT(totals[c->id][6], 0) << "no prize was won: the check of prizes shows nothing";
        // Stakes and prizes are the simulator's own figures over every run on the cabinet.
        EXPECT_EQ(totals[c->id][1], std::llround(100 * Figure(c->lastReport, "Takings")));
        EXPECT_EQ(totals[c->id][2], std::llround(100 * Figure(c->lastReport, "Prizes paid")));
    }
    // The killed agent's cabinet went offline, and came back.
    EXPECT_EQ(db.Value("SELECT count(*) > 0 FROM status_log WHERE cabinet = 'pub-2' AND state = "
                       "'offline'"),
              "t");
    // A full outbox drops heartbeats only: the oldest ones, or the new one when every message
    // waiting is a game, money or a fault.
    const std::string agentLog = cabinets[2]->AgentLogs();
    EXPECT_TRUE(agentLog.find("dropped the") != std::string::npos ||
                agentLog.find("dropped a new heartbeat") != std::string::npos)
        << agentLog;
    EXPECT_EQ(db.Value("SELECT count(*) FROM rejected"), "0");
    for (auto& c : cabinets) c->StopAgent();
}
}  // namespace
