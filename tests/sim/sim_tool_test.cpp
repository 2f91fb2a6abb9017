// The simulator plays the real game code: same seed, same report; money adds up; a perfect
// player reaches the final stage every time.
#include <gtest/gtest.h>

#include <string>

#include "support/capture.h"

namespace {
std::string Sim(const std::string& args) {
    return std::string(SIM_TOOL) + " --stage " + STAGE_DIR + " " + args + " 2>&1";
}

uint64_t Figure(const std::string& report, const std::string& label) {
    size_t at = report.find(label);
    if (at == std::string::npos) return UINT64_MAX;
    return std::stoull(report.substr(at + label.size()));
}

TEST(Sim, SameSeedSameReportAndMoneyAddsUp) {
    Captured a = CaptureCommand(Sim("--games 40 --seed 7 --skill 0.8"));
    Captured b = CaptureCommand(Sim("--games 40 --seed 7 --skill 0.8"));
    ASSERT_EQ(a.status, 0) << a.out;
    EXPECT_EQ(a.out, b.out);
    EXPECT_EQ(Figure(a.out, "Games played"), 40u);
    EXPECT_NE(a.out.find(": balanced"), std::string::npos) << a.out;
    Captured c = CaptureCommand(Sim("--games 40 --seed 8 --skill 0.8"));
    EXPECT_NE(a.out, c.out);  // another seed plays other games
}

TEST(Sim, PerfectPlayerReachesTheFinalEveryGame) {
    Captured r = CaptureCommand(Sim("--games 15 --seed 3 --skill 1.0"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Figure(r.out, "Games reaching final"), 15u) << r.out;
    EXPECT_EQ(r.out.find("\n  0.00 "), std::string::npos)
        << "a perfect player never leaves empty-handed";
}

TEST(Sim, HopelessPlayerWinsNothing) {
    Captured r = CaptureCommand(Sim("--games 20 --seed 5 --skill 0"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Figure(r.out, "Games reaching final"), 0u);
    EXPECT_NE(r.out.find("Prizes paid             0.00 pounds"), std::string::npos) << r.out;
}

TEST(Sim, RefusesBadArguments) {
    for (const char* bad :
         {"--games 0", "--skill 1.5", "--skill 0.5,0.6", "--port 70000", "--nonsense"}) {
        Captured r = CaptureCommand(Sim(bad));
        EXPECT_EQ(r.status, 2) << bad << "\n" << r.out;
        EXPECT_NE(r.out.find("usage"), std::string::npos) << bad;
    }
}
}  // namespace
