// brindlemark-audit reads the record the game writes, and refuses anything else.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/headless.h"
#include "platform/localtime.h"
#include "records/audit.h"
#include "support/capture.h"
#include "support/scratch.h"

namespace {
class AuditToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAuditRecord();
        SetLocalTimeOverride(LocalTime{2026, 11, 30, 9, 0, 0});
        for (int i = 0; i < 8; ++i) BumpCounter(CounterGamesBought);
        AddToCounter(CounterPrizeValueWon, 450);
        AddToBalance(0, -650.0f);  // band 4
        SaveAuditRecord();
    }
    void TearDown() override { ClearLocalTimeOverride(); }
    ScratchDir dir;
};

TEST_F(AuditToolTest, PrintsCountersBalancesBandAndDate) {
    Captured c = CaptureCommand(std::string(AUDIT_TOOL) + " 2>&1");
    EXPECT_EQ(c.status, 0) << c.out;
    EXPECT_NE(c.out.find("First written      11/30/26"), std::string::npos) << c.out;
    EXPECT_NE(c.out.find("Payout balance     -650.00"), std::string::npos);
    EXPECT_NE(c.out.find("Payout band        4 (balance -800 to below -400)"), std::string::npos);
    EXPECT_NE(c.out.find("  0  games bought"), std::string::npos);
    EXPECT_NE(c.out.find(" 27  total prize value won (pence)"), std::string::npos);
    // one line per counter, the value at its end
    size_t line = c.out.find("  0  games bought");
    std::string first = c.out.substr(line, c.out.find('\n', line) - line);
    EXPECT_EQ(first.substr(first.size() - 2), " 8");
    EXPECT_NE(c.out.find(" 41  reserved"), std::string::npos);
}

TEST_F(AuditToolTest, JsonCarriesTheSameFacts) {
    Captured c = CaptureCommand(std::string(AUDIT_TOOL) + " data/pellwarden.rec --json");
    EXPECT_EQ(c.status, 0);
    EXPECT_NE(c.out.find("\"first_written\": \"11/30/26\""), std::string::npos) << c.out;
    EXPECT_NE(c.out.find("\"payout_band\": 4"), std::string::npos);
    EXPECT_NE(c.out.find("{\"id\": 0, \"meaning\": \"games bought\", \"value\": 8}"),
              std::string::npos);
    EXPECT_NE(
        c.out.find("{\"id\": 27, \"meaning\": \"total prize value won (pence)\", \"value\": 450}"),
        std::string::npos);
}

TEST_F(AuditToolTest, RefusesFilesThatAreNotRecords) {
    { std::ofstream("short.rec") << "just text"; }
    std::string junk(300, 'j');
    { std::ofstream("junk.rec") << junk; }
    std::string noDate(176, '\0');
    noDate += "banner - Inf File Written XX/YY/ZZ";
    { std::ofstream("nodate.rec", std::ios::binary) << noDate; }
    for (const char* file : {"short.rec", "junk.rec", "nodate.rec", "missing.rec"}) {
        Captured c = CaptureCommand(std::string(AUDIT_TOOL) + " " + file + " 2>&1");
        EXPECT_EQ(c.status, 1) << file;
        EXPECT_NE(c.out.find(file), std::string::npos) << c.out;
        EXPECT_EQ(c.out.find("Counters"), std::string::npos);
    }
    Captured usage = CaptureCommand(std::string(AUDIT_TOOL) + " a b 2>&1");
    EXPECT_EQ(usage.status, 2);
}
}  // namespace
