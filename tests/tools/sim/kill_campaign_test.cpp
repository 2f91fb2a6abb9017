// The kill campaign: brindlemark-sim (the real game code, headless) against the real credit
// service, killed with SIGKILL at random moments and started again on the same folder each time,
// then let run to its end. Over the whole run no game may be lost or counted twice and no prize
// paid twice or lost: the ledger's stakes equal the games bought and the games in the recall,
// the ledger's prizes equal the prize value won, and no journal is left behind.
//
// KILL_CAMPAIGN_KILLS sets the number of kills (30 unless told; the long run takes 1,000).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <regex>
#include <thread>

#include "game/journal.h"
#include "game/recall.h"
#include "platform/files.h"
#include "records/audit.h"
#include "support/credit_service.h"

namespace fs = std::filesystem;

namespace {
int KillsWanted() {
    const char* text = std::getenv("KILL_CAMPAIGN_KILLS");
    return text ? std::atoi(text) : 30;
}

std::string JournalPhaseNow(const fs::path& cabinet) {
    std::ifstream in(cabinet / "data" / "game.journal");
    if (!in) return "no journal";
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    GameJournal journal;
    std::string why;
    if (!ParseJournal(text, journal, why)) return "unreadable: " + why;
    static const char* const names[] = {"stake-pending", "stake-taken",   "rounds",
                                        "final",         "prize-pending", "ended"};
    return names[static_cast<int>(journal.phase)];
}

struct LedgerFigures {
    int64_t stakes = 0;           // CUSE of one stake (cash-outs are larger)
    int64_t prizePence = 0;       // BADD rows and the odd-pence CADD rows (coins are 100)
    std::vector<int64_t> prizes;  // the prize rows in order
};

LedgerFigures ReadLedger(const ScratchFolder& folder, const std::string& db) {
    LedgerFigures f;
    CommandResult ledger = RunCreditCommand({"ledger", "10000000", "--db", db}, folder);
    EXPECT_EQ(ledger.exitCode, 0) << ledger.errors;
    std::regex row(R"( (CUSE|BADD|CADD) +(\d+) )");
    for (std::sregex_iterator it(ledger.output.begin(), ledger.output.end(), row), end; it != end;
         ++it) {
        std::string request = (*it)[1];
        int64_t amount = std::stoll((*it)[2]);
        if (request == "CUSE" && amount == 50) ++f.stakes;
        if (request == "BADD" || (request == "CADD" && amount < 100)) {
            f.prizePence += amount;
            f.prizes.push_back(amount);
        }
    }
    return f;
}

// The prize of every game in the recall, gathered after each run so that none is missed when
// the oldest are removed; a game recalled again must carry the same prize. `resumed` keeps how
// often each game was taken up from its journal.
void GatherRecall(const fs::path& cabinet, std::map<int64_t, int64_t>& prizes,
                  std::map<int64_t, int64_t>& resumed) {
    std::string folder = (cabinet / "data" / "recall").string();
    for (int64_t seq : RecallNumbers(folder)) {
        std::ifstream in(RecallFileName(folder, seq));
        nlohmann::json game = nlohmann::json::parse(in);
        int64_t prize = game.at("prize");
        std::string payment = game.at("payment");
        if (prize > 0) {
            EXPECT_TRUE(payment == "paid" || payment == "found-paid" || payment == "paid-again")
                << "game " << seq << ": " << payment;
        }
        resumed[seq] = game.at("resumed");
        auto [at, added] = prizes.emplace(seq, prize);
        EXPECT_EQ(at->second, prize) << "game " << seq << " recalled with another prize";
    }
}

AuditRecord ReadRecord(const fs::path& cabinet) {
    std::vector<uint8_t> bytes;
    AuditRecord record{};
    std::string path = (cabinet / "data" / "pellwarden.rec").string();
    EXPECT_TRUE(ReadWholeFile(path.c_str(), bytes));
    DecodeAuditHead(bytes.data(), bytes.size(), record);
    return record;
}
}  // namespace

TEST(KillCampaign, NoGameOrPrizeIsLostOrDoubledAcrossKills) {
    ScratchFolder folder("kill-campaign");
    std::string db = folder.File("credit.db");
    ServiceProcess service(db, folder.File("service.log"));
    ASSERT_TRUE(service.started()) << ReadText(folder.File("service.log"));
    fs::path cabinet = folder.path() / "cabinet";
    const int kills = KillsWanted();
    // Each run is asked for a few dozen games more than the recall holds so far (a run on the
    // folder counts every game played on it): the games never run out before the last kill,
    // whatever the machine's speed, and the last run plays few enough that the recall (the last
    // 100 games) still holds each game that no earlier gathering saw.
    const int extraGames = 40;
    std::vector<std::string> argv{SIM_TOOL,
                                  "--stage",
                                  BRINDLEMARK_STAGE_DIR,
                                  "--folder",
                                  cabinet.string(),
                                  "--port",
                                  std::to_string(service.port()),
                                  "--games",
                                  "",
                                  "--seed",
                                  "17",
                                  "--skill",
                                  "0.93"};
    const size_t gamesArg = 8;
    std::mt19937 chooser(20261209);
    std::map<std::string, int> phases;
    std::map<int64_t, int64_t> recalled;  // game number -> prize
    std::map<int64_t, int64_t> resumed;   // game number -> times taken up from its journal
    auto started = std::chrono::steady_clock::now();
    int finishedEarly = 0;
    auto gamesWanted = [&recalled, extraGames] {
        return (recalled.empty() ? 0 : recalled.rbegin()->first) + extraGames;
    };
    for (int k = 0; k < kills;) {
        argv[gamesArg] = std::to_string(gamesWanted());
        ProcessId sim = StartProcess(argv, folder.File("sim.out"), folder.File("sim.err"));
        ASSERT_NE(sim, NoProcess);
        // Past the start-up (question packs checked, journal read) and into the games.
        int delayMs = std::uniform_int_distribution<int>(20, 900)(chooser);
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs);
        int status = 0;
        bool ended = false;
        while (std::chrono::steady_clock::now() < until)
            if (waitpid(sim, &status, WNOHANG) == sim) {
                ended = true;
                break;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        if (ended) {
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << ReadText(folder.File("sim.out")) << ReadText(folder.File("sim.err"));
            ++finishedEarly;  // its games were played before the kill came: on with more
            GatherRecall(cabinet, recalled, resumed);
            continue;
        }
        kill(sim, SIGKILL);
        ++k;
        waitpid(sim, &status, 0);
        ++phases[JournalPhaseNow(cabinet)];
        GatherRecall(cabinet, recalled, resumed);
        if (k % 100 == 0) {
            std::printf("%d kills, %zu games recalled\n", k, recalled.size());
            std::fflush(stdout);  // a long run shows that it moves
        }
    }
    // The last run plays a few more games and reports on the whole run.
    const int64_t games = gamesWanted();
    argv[gamesArg] = std::to_string(games);
    ProcessId last = StartProcess(argv, folder.File("sim.out"), folder.File("sim.err"));
    int lastExit = WaitProcess(last);
    std::string report = ReadText(folder.File("sim.out"));
    EXPECT_EQ(lastExit, 0) << report << ReadText(folder.File("sim.err"));
    EXPECT_NE(report.find(": balanced"), std::string::npos) << report;

    std::printf("kills by journal phase at the kill:\n");
    int killed = 0;
    for (const auto& [phase, count] : phases) {
        std::printf("  %-16s %d\n", phase.c_str(), count);
        killed += count;
        EXPECT_EQ(phase.rfind("unreadable", 0), std::string::npos) << phase;
    }
    std::printf("  kills %d, runs that finished before their kill %d\n", killed, finishedEarly);
    int64_t resumptions = 0, gamesResumed = 0;
    for (const auto& [seq, times] : resumed) {
        resumptions += times;
        gamesResumed += times > 0 ? 1 : 0;
    }

    AuditRecord record = ReadRecord(cabinet);
    LedgerFigures ledger = ReadLedger(folder, db);
    GatherRecall(cabinet, recalled, resumed);
    std::printf(
        "games bought %d, ledger stakes %lld, games recalled %zu; prizes won %d pence, "
        "ledger prizes %lld pence in %zu payments\n",
        record.counter[0], static_cast<long long>(ledger.stakes), recalled.size(),
        record.counter[27], static_cast<long long>(ledger.prizePence), ledger.prizes.size());
    // Every kill that left a journal is taken up by the next run; a game's own count of its
    // resumptions misses those killed again before its journal was next written.
    std::printf(
        "runs that resumed a game %d; games resumed %lld (%lld resumptions written in "
        "their journals); %.0f s in all\n",
        killed - phases["no journal"], static_cast<long long>(gamesResumed),
        static_cast<long long>(resumptions),
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    EXPECT_EQ(record.counter[0], games);
    EXPECT_EQ(ledger.stakes, record.counter[0]);
    // Every game is in the recall once, numbered 1, 2, 3...
    ASSERT_EQ(static_cast<int64_t>(recalled.size()), record.counter[0]);
    EXPECT_EQ(recalled.begin()->first, 1);
    EXPECT_EQ(recalled.rbegin()->first, record.counter[0]);
    EXPECT_EQ(ledger.prizePence, record.counter[27]);
    // Each prize once: the ledger's prize payments are the games' prizes, in order.
    std::vector<int64_t> expected;
    for (const auto& [seq, prize] : recalled) {
        if (prize >= 100) expected.push_back(prize / 100 * 100);
        if (prize % 100 != 0) expected.push_back(prize % 100);
    }
    EXPECT_EQ(ledger.prizes, expected);
    std::vector<int64_t> kept = RecallNumbers((cabinet / "data" / "recall").string());
    EXPECT_EQ(static_cast<int64_t>(kept.size()), std::min<int64_t>(record.counter[0], 100));
    EXPECT_FALSE(fs::exists(cabinet / "data" / "game.journal"));
    int32_t startedByBand = 0;
    for (int band = 1; band <= 7; ++band) startedByBand += record.counter[band];
    EXPECT_EQ(startedByBand, record.counter[0]) << "every game bought started once";
}
