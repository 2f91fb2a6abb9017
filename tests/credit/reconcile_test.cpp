// Money that moves while a reply is late: stakes and prizes against services that answer late,
// book without answering, or lose the request, with coins arriving meanwhile.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "credit/link.h"
#include "credit/reconcile.h"
#include "records/audit.h"
#include "records/log.h"
#include "support/credit_service.h"

namespace {
constexpr CreditBalances Known(uint16_t credit, uint16_t bank) {
    return CreditBalances{credit, bank, true};
}

TEST(JudgeMoneyMoved, CoinsNeverMakeATakenStakeLookUntakenOrAPrizeLookPaidTwice) {
    using enum MoneyOutcome;
    struct Case {
        MoneyRequest request;
        int32_t amount;
        CreditBalances before, now;
        MoneyOutcome expected;
        const char* why;
    } cases[] = {
        {MoneyRequest::UseCredit, 50, Known(120, 0), Known(120, 0), NotBooked, "unchanged"},
        {MoneyRequest::UseCredit, 50, Known(120, 0), Known(70, 0), Booked, "from the credit"},
        {MoneyRequest::UseCredit, 50, Known(30, 500), Known(0, 480), Booked, "credit, then bank"},
        {MoneyRequest::UseCredit, 50, Known(0, 500), Known(0, 450), Booked, "from the bank"},
        {MoneyRequest::UseCredit, 50, Known(120, 0), Known(90, 0), Booked, "taken, a coin of 20"},
        {MoneyRequest::UseCredit, 50, Known(120, 0), Known(170, 0), Uncertain,
         "a coin of 50 or 100"},
        {MoneyRequest::UseCredit, 50, Known(0, 500), Known(0, 0), Uncertain, "the bank paid out"},
        {MoneyRequest::UseCredit, 50, Known(120, 0), CreditBalances{}, Uncertain, "unreadable"},
        {MoneyRequest::AddBank, 200, Known(10, 100), Known(10, 300), Booked, "bank up by it"},
        {MoneyRequest::AddBank, 200, Known(10, 100), Known(60, 300), Booked, "and a coin"},
        {MoneyRequest::AddBank, 200, Known(10, 100), Known(60, 100), NotBooked, "only a coin"},
        {MoneyRequest::AddBank, 200, Known(10, 100), Known(10, 0), Uncertain, "paid out"},
        {MoneyRequest::AddCredit, 50, Known(10, 0), Known(60, 0), Booked, "credit up by it"},
        {MoneyRequest::AddCredit, 50, Known(10, 0), Known(30, 0), NotBooked, "a coin of 20"},
        {MoneyRequest::AddCredit, 50, Known(10, 0), Known(10, 0), NotBooked, "unchanged"},
        {MoneyRequest::AddCredit, 50, Known(10, 0), Known(110, 0), Uncertain, "50 twice over"},
        {MoneyRequest::AddCredit, 50, CreditBalances{}, Known(60, 0), Uncertain, "no before"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JudgeMoneyMoved(c.request, c.amount, c.before, c.now), c.expected) << c.why;
}

FakeStep Book() {
    return FakeStep{FakeStep::Book, "", 0, 0};
}
FakeStep BookSilent(int coin = 0) {
    return FakeStep{FakeStep::BookSilent, "", 0, coin};
}
FakeStep Lose(int coin = 0) {
    return FakeStep{FakeStep::Silent, "", 0, coin};
}

// The link against a fake that keeps balances, with the log open in a scratch folder and the
// waits after the first 2 s kept short.
class LateMoney : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_.path());
        ASSERT_EQ(MakeSystemFolders(), 0);
        ASSERT_EQ(OpenLog(), 0);
        ResetAuditRecord();
        gCreditLateReplyMs = 400;
        gCreditReconnectMs = 3000;
    }
    void TearDown() override {
        CloseCreditLink();
        CloseLog();
        std::filesystem::current_path(previous_);
        gCreditServicePort = 6667;
        gCreditLateReplyMs = 8000;
        gCreditReconnectMs = 10000;
    }
    void Connect(FakeCreditService& fake) {
        gCreditServicePort = fake.port();
        ASSERT_TRUE(CreateCreditSocket());
        ASSERT_TRUE(ConnectCreditService());
    }
    std::string Log() { return ReadText(folder_.File(LogPath)); }
    static std::vector<std::string> Changes(FakeCreditService& fake) {
        std::vector<std::string> changes;
        for (const std::string& line : fake.Lines())
            if (line != "CGET\r\n" && line != "BGET\r\n") changes.push_back(line);
        return changes;
    }

    ScratchFolder folder_{"late-money"};
    std::filesystem::path previous_;
};

TEST_F(LateMoney, AStakeAnsweredLateIsTakenOnceAndTheGameGoesAhead) {
    FakeCreditService fake({Book(), Book(), FakeStep{FakeStep::BookLate, "", 2300, 0}}, Book(), 120,
                           0);
    Connect(fake);
    EXPECT_TRUE(TakeStake());
    EXPECT_EQ(fake.credit(), 70);
    EXPECT_EQ(fake.connections(), 1) << "a late reply is waited for on the same connection";
    EXPECT_EQ(gAuditRecord.counter[0], 1);
    EXPECT_NE(Log().find("CUSE,50: the reply came late, after "), std::string::npos) << Log();
    EXPECT_EQ(QueryCredit(), 70) << "the late reply is never read as the next one";
}

TEST_F(LateMoney, AStakeBookedWithoutReplyGivesTheGameAndOneNeverBookedKeepsTheMoney) {
    {
        FakeCreditService fake({Book(), Book(), BookSilent()}, Book(), 120, 0);
        Connect(fake);
        EXPECT_TRUE(TakeStake());
        EXPECT_EQ(fake.credit(), 70);
        EXPECT_EQ(fake.connections(), 2);
        EXPECT_EQ(gAuditRecord.counter[0], 1);
        CloseCreditLink();
    }
    std::string log = Log();
    EXPECT_NE(log.find("CUSE,50: no reply after "), std::string::npos) << log;
    EXPECT_NE(log.find("credit 120 and bank 0 before, credit 70 and bank 0 now: booked"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Stake of 50 pence taken: the game goes ahead"), std::string::npos) << log;
    {
        FakeCreditService fake({Book(), Book(), Lose()}, Book(), 120, 0);
        Connect(fake);
        EXPECT_FALSE(TakeStake());
        EXPECT_EQ(fake.credit(), 120);
        EXPECT_EQ(gAuditRecord.counter[0], 1) << "no purchase is recorded";
    }
    EXPECT_NE(Log().find("Stake of 50 pence not taken: the player keeps the money"),
              std::string::npos)
        << Log();
}

TEST_F(LateMoney, ACoinDuringALostStakeReplyGivesTheGameEitherWay) {
    for (FakeStep stakeStep : {BookSilent(100), Lose(100)}) {
        FakeCreditService fake({Book(), Book(), stakeStep}, Book(), 120, 0);
        Connect(fake);
        EXPECT_TRUE(TakeStake()) << "the player is never charged without a game";
        CloseCreditLink();
    }
    EXPECT_EQ(gAuditRecord.counter[0], 2);
    EXPECT_NE(Log().find("Stake of 50 pence may have been taken: counted as taken"),
              std::string::npos)
        << Log();
}

TEST_F(LateMoney, APrizeBookedWithoutReplyIsPaidOnceAndALostOneIsSentAgain) {
    {
        FakeCreditService fake({Book(), Book(), BookSilent()}, Book(), 0, 0);
        Connect(fake);
        PayPrize(150);
        EXPECT_EQ(fake.bank(), 100);
        EXPECT_EQ(fake.credit(), 50);
        EXPECT_EQ(Changes(fake), (std::vector<std::string>{"BADD,100\r\n", "CADD,50\r\n"}));
        CloseCreditLink();
    }
    {
        // The request is lost before it is booked; a coin comes in meanwhile.
        FakeCreditService fake({Book(), Book(), Lose(20)}, Book(), 0, 0);
        Connect(fake);
        PayPrize(300);
        EXPECT_EQ(fake.bank(), 300);
        EXPECT_EQ(fake.credit(), 20);
        EXPECT_EQ(Changes(fake), (std::vector<std::string>{"BADD,300\r\n", "BADD,300\r\n"}));
    }
    std::string log = Log();
    EXPECT_NE(log.find("Prize of 300 pence to the bank was not booked: sending it again"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("not paid"), std::string::npos) << log;
}

TEST_F(LateMoney, APrizeTheBalancesCannotSettleIsNeverSentTwice) {
    // CADD,50 booked without reply while a 50p coin comes in: the credit rose by 100.
    FakeCreditService fake({Book(), Book(), BookSilent(50)}, Book(), 0, 0);
    Connect(fake);
    PayPrize(50);
    EXPECT_EQ(fake.credit(), 100);
    EXPECT_EQ(Changes(fake), std::vector<std::string>{"CADD,50\r\n"});
    EXPECT_NE(Log().find("Prize payment uncertain: 50 pence to the credit may have been paid"),
              std::string::npos)
        << Log();
}

TEST_F(LateMoney, AServiceThatIsGoneLeavesTheOutcomeUncertainAfterItsTimeLimit) {
    CreditBalances before = Known(100, 0);
    gCreditServicePort = 1;  // nothing listens there
    gCreditReconnectMs = 300;
    EXPECT_EQ(ReconcileMoneyRequest(MoneyRequest::AddBank, 100, before), MoneyOutcome::Uncertain);
    EXPECT_NE(Log().find("BADD,100: the balances cannot be read"), std::string::npos) << Log();
}
}  // namespace
