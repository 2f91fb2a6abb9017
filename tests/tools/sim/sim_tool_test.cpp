// The simulator plays the real game code: same seed, same report; money adds up over many games,
// against the in-process and the real credit service; a perfect player reaches the final stage
// every time; drawing every frame plays the same games.
#include <gtest/gtest.h>

#include <iterator>
#include <regex>
#include <sstream>
#include <string>

#include "support/capture.h"
#include "support/credit_service.h"

namespace {
std::string Sim(const std::string& args) {
    return std::string(SIM_TOOL) + " --stage " + BRINDLEMARK_STAGE_DIR + " " + args + " 2>&1";
}

// The number after a label of the report, or -1 when the label is missing.
double Figure(const std::string& report, const std::string& label) {
    size_t at = report.find(label);
    if (at == std::string::npos) return -1;
    return std::stod(report.substr(at + label.size()));
}

// An audit counter as the report lists it ("  9  questions put    6580").
long Counter(const std::string& report, int id) {
    std::istringstream lines(report.substr(report.find("Audit counters")));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        int lineId = -1;
        if (!(fields >> lineId) || lineId != id) continue;
        return std::stol(line.substr(line.find_last_of(' ') + 1));
    }
    return -1;
}

// The report's lines from `from` up to the next empty line.
std::string Section(const std::string& report, const std::string& from) {
    size_t at = report.find(from);
    if (at == std::string::npos) return "";
    return report.substr(at, report.find("\n\n", at) - at);
}

std::string Line(const std::string& report, const std::string& from) {
    size_t at = report.find(from);
    if (at == std::string::npos) return "";
    return report.substr(at, report.find('\n', at) - at);
}

TEST(Sim, SameSeedSameReportAndMoneyAddsUp) {
    Captured a = CaptureCommand(Sim("--games 40 --seed 7 --skill 0.8"));
    Captured b = CaptureCommand(Sim("--games 40 --seed 7 --skill 0.8"));
    ASSERT_EQ(a.status, 0) << a.out;
    EXPECT_EQ(a.out, b.out);
    EXPECT_EQ(Figure(a.out, "Games played"), 40);
    EXPECT_NE(a.out.find(": balanced"), std::string::npos) << a.out;
    EXPECT_NE(a.out.find(": agrees"), std::string::npos) << a.out;
    Captured c = CaptureCommand(Sim("--games 40 --seed 8 --skill 0.8"));
    EXPECT_NE(a.out, c.out);  // another seed plays other games
}

// Money is neither made nor lost over a long run: coins in, stakes, prizes and the players' takings
// account for what the service holds, and the audit counts the same games and prizes.
TEST(Sim, MoneyIsConservedOverTenThousandGames) {
    Captured r = CaptureCommand(Sim("--games 10000 --seed 11 --skill 0.6 --cash-out 200"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find(": balanced"), std::string::npos) << Line(r.out, "Money:");
    EXPECT_NE(r.out.find(": agrees"), std::string::npos) << Line(r.out, "Payout balance:");
    EXPECT_EQ(Figure(r.out, "Games played"), 10000);
    EXPECT_GT(Figure(r.out, "Taken away by players"), 0) << "players never took winnings away";
    EXPECT_EQ(Counter(r.out, 0), 10000);
    long byBand = 0, byPrize = 0, byBank = 0;
    for (int id = 1; id <= 7; ++id) byBand += Counter(r.out, id);
    for (int id = 11; id <= 25; ++id) byPrize += Counter(r.out, id);
    for (int id = 36; id <= 38; ++id) byBank += Counter(r.out, id);
    EXPECT_EQ(byBand, 10000);
    EXPECT_EQ(byBank, 10000);
    EXPECT_EQ(byPrize, Counter(r.out, 35));
    EXPECT_EQ(Counter(r.out, 35), Figure(r.out, "Games won"));
    long byBandValue = 0;
    for (int id = 28; id <= 34; ++id) byBandValue += Counter(r.out, id);
    EXPECT_EQ(byBandValue, Counter(r.out, 27));
    EXPECT_DOUBLE_EQ(Counter(r.out, 27) / 100.0, Figure(r.out, "Prizes paid"));
}

TEST(Sim, PerfectPlayerReachesTheFinalEveryGame) {
    Captured r = CaptureCommand(Sim("--games 60 --seed 3 --skill 1.0"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Figure(r.out, "Games reaching final"), 60) << r.out;
    EXPECT_EQ(Figure(r.out, "Games won"), 60) << r.out;
    EXPECT_EQ(Counter(r.out, 10), 0) << "a perfect player never answers wrong";
    EXPECT_EQ(Counter(r.out, 26), 0);
    EXPECT_EQ(r.out.find("\n  0.00 "), std::string::npos)
        << "a perfect player never leaves empty-handed";
}

TEST(Sim, HopelessPlayerWinsNothing) {
    Captured r = CaptureCommand(Sim("--games 20 --seed 5 --skill 0"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Figure(r.out, "Games reaching final"), 0);
    EXPECT_EQ(Figure(r.out, "Prizes paid"), 0);
    EXPECT_EQ(Counter(r.out, 35), 0);
    EXPECT_NE(r.out.find(": balanced"), std::string::npos) << r.out;
}

// The player's skill is by grade: knowing only the easy questions never gets far.
TEST(Sim, SkillIsByQuestionGrade) {
    Captured easyOnly = CaptureCommand(Sim("--games 30 --seed 9 --skill 1,0,0"));
    ASSERT_EQ(easyOnly.status, 0) << easyOnly.out;
    EXPECT_EQ(Figure(easyOnly.out, "Games reaching final"), 0);
    EXPECT_GT(Counter(easyOnly.out, 9), 30 * 3) << "the easy opening questions were not answered";
}

// The cabinet's millisecond clock wraps every 49.7 days; a run across the wrap still plays all its
// games (starting the cabinet again whenever it ends, as the kiosk does) and loses nothing.
TEST(Sim, PlaysOnAcrossTheClocksWrap) {
    Captured r = CaptureCommand(Sim("--games 20 --seed 540150 --skill 0.7"));
    ASSERT_EQ(r.status, 0) << r.out;
    double start = Figure(r.out, "Clock");
    size_t ran = r.out.find(" ran ", r.out.find("Clock"));
    ASSERT_NE(ran, std::string::npos) << r.out;
    EXPECT_GT(start + 1000 * Figure(r.out.substr(ran), " ran "), 4294967296.0)
        << "this seed no longer starts the clock close enough to its wrap";
    EXPECT_EQ(Figure(r.out, "Games played"), 20);
    EXPECT_GE(Figure(r.out, "Cabinet starts"), 1);
    EXPECT_NE(r.out.find(": balanced"), std::string::npos) << Line(r.out, "Money:");
    EXPECT_NE(r.out.find(": agrees"), std::string::npos) << Line(r.out, "Payout balance:");
    EXPECT_EQ(Counter(r.out, 0), 20);
}

TEST(Sim, DrawingEveryFramePlaysTheSameGames) {
    Captured plain = CaptureCommand(Sim("--games 2 --seed 2 --skill 0.9"));
    Captured drawn = CaptureCommand(Sim("--games 2 --seed 2 --skill 0.9 --frames"));
    ASSERT_EQ(plain.status, 0) << plain.out;
    ASSERT_EQ(drawn.status, 0) << drawn.out;
    EXPECT_NE(drawn.out.find("every frame drawn"), std::string::npos);
    EXPECT_EQ(Section(drawn.out, "Prize      games"), Section(plain.out, "Prize      games"));
    EXPECT_EQ(Line(drawn.out, "Money:"), Line(plain.out, "Money:"));
    EXPECT_EQ(Counter(drawn.out, 9), Counter(plain.out, 9));
}

TEST(Sim, PlaysAgainstTheRealCreditService) {
    ScratchFolder folder("sim-service");
    ServiceProcess service(folder.File("credit.db"), folder.File("service.log"));
    ASSERT_TRUE(service.started()) << ReadText(folder.File("service.log"));
    std::string port = std::to_string(service.port());
    Captured r =
        CaptureCommand(Sim("--games 25 --seed 4 --skill 0.9 --cash-out 250 --port " + port));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("real credit service"), std::string::npos);
    EXPECT_NE(r.out.find(": balanced"), std::string::npos) << Line(r.out, "Money:");
    EXPECT_GE(Figure(r.out, "Taken away by players"), 2.5) << r.out;
    // The service's own ledger holds one stake of 50 for each game.
    CommandResult ledger =
        RunCreditCommand({"ledger", "100000", "--db", folder.File("credit.db")}, folder);
    ASSERT_EQ(ledger.exitCode, 0) << ledger.errors;
    std::regex stake(R"( CUSE +50 )");
    auto stakes =
        std::distance(std::sregex_iterator(ledger.output.begin(), ledger.output.end(), stake),
                      std::sregex_iterator());
    EXPECT_EQ(stakes, 25) << ledger.output;
}

TEST(Sim, RefusesBadArgumentsAndAMissingService) {
    for (const char* bad :
         {"--games 0", "--games -3", "--skill 1.5", "--skill 0.5,0.6", "--port 70000",
          "--cash-out 100", "--cash-out 9001", "--seed", "--nonsense"}) {
        Captured r = CaptureCommand(Sim(bad));
        EXPECT_EQ(r.status, 2) << bad << "\n" << r.out;
        EXPECT_NE(r.out.find("usage"), std::string::npos) << bad;
    }
    ScratchFolder folder("sim-no-service");
    ServiceProcess service(folder.File("credit.db"), folder.File("service.log"));
    ASSERT_TRUE(service.started());
    std::string port = std::to_string(service.port());
    service.KillHard();
    Captured r = CaptureCommand(Sim("--games 5 --port " + port));
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("cannot reach a credit service"), std::string::npos) << r.out;
}
}  // namespace
