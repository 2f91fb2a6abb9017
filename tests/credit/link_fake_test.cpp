// The game's credit link against a hand-rolled fake service: the replies a real service never
// gives, and services that close or never answer.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "credit/link.h"
#include "records/audit.h"
#include "records/log.h"
#include "support/credit_service.h"

namespace {
FakeStep Answer(const std::string& reply) {
    return FakeStep{FakeStep::Answer, reply, 0};
}

// The cabinet's log in a scratch working folder for one test.
class LogFolder {
  public:
    LogFolder() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder_.path());
        MakeSystemFolders();
        OpenLog();
    }
    ~LogFolder() {
        CloseLog();
        std::filesystem::current_path(previous_);
    }
    std::string Text() { return ReadText(folder_.File(LogPath)); }

  private:
    ScratchFolder folder_{"credit-log"};
    std::filesystem::path previous_;
};

class LinkAgainstFake : public ::testing::Test {
  protected:
    void Connect(FakeCreditService& fake) {
        ResetAuditRecord();
        gCreditServicePort = fake.port();
        ASSERT_TRUE(CreateCreditSocket());
        ASSERT_TRUE(ConnectCreditService());
    }
    void TearDown() override {
        CloseCreditLink();
        gCreditServicePort = 6667;
    }
};

TEST_F(LinkAgainstFake, BalancesAreReadFromMatchingReplies) {
    FakeCreditService fake({Answer("CTEL,250\r"), Answer("BTEL,1200\r"), Answer("CTEL,250\r"),
                            Answer("CTEL,   42\r")});
    Connect(fake);
    EXPECT_EQ(QueryCredit(), 250);
    EXPECT_EQ(QueryBank(), 1200);
    EXPECT_EQ(CurrentCredit(), 250);
    EXPECT_EQ(QueryCredit(), 42);
    EXPECT_EQ(fake.Lines(),
              (std::vector<std::string>{"CGET\r\n", "BGET\r\n", "CGET\r\n", "CGET\r\n"}));
}

TEST_F(LinkAgainstFake, NumbersOutsideTheShownRangeReadAsZero) {
    FakeCreditService fake({Answer("CTEL,10000\r"), Answer("CTEL,10000\r"), Answer("CTEL,9999\r"),
                            Answer("CTEL,70000\r"), Answer("CTEL,70000\r"), Answer("CTEL,-5\r"),
                            Answer("BTEL,-5\r"), Answer("CTEL,65535\r"), Answer("CTEL,65536\r")});
    Connect(fake);
    EXPECT_EQ(QueryCredit(), 10000);
    EXPECT_EQ(CurrentCredit(), 0);
    EXPECT_EQ(CurrentCredit(), 9999);
    // A number beyond 16 bits is a failed request, not its low 16 bits.
    EXPECT_EQ(QueryCredit(), CreditQueryFailed);
    EXPECT_EQ(CurrentCredit(), 0);
    EXPECT_EQ(QueryCredit(), CreditQueryFailed);
    EXPECT_EQ(CurrentBank(), 0);
    EXPECT_EQ(QueryCredit(), 65535);
    EXPECT_EQ(QueryCredit(), CreditQueryFailed);
}

TEST_F(LinkAgainstFake, MalformedRepliesAreFailedRequests) {
    FakeCreditService fake({Answer("BTEL,250\r"), Answer("CTEL250\r"), Answer("CTEL,\r"),
                            Answer("CTE"), Answer("FAIL,0\r"), Answer("CTEL,x12\r"),
                            Answer("CTEL\r"), Answer("BTEL,5\r"), Answer("CTEL,7\r")});
    Connect(fake);
    EXPECT_EQ(QueryCredit(), CreditQueryFailed);  // the bank's tag
    EXPECT_EQ(QueryCredit(), CreditQueryFailed);  // no comma
    EXPECT_EQ(QueryCredit(), CreditQueryFailed);  // no number
    EXPECT_EQ(QueryCredit(), CreditQueryFailed);  // cut short
    EXPECT_FALSE(UseCredit(50));                  // refused
    EXPECT_EQ(QueryBank(), CreditQueryFailed);    // the credit's tag
    EXPECT_FALSE(AddCredit(20));                  // right tag, no comma
    EXPECT_FALSE(AddCredit(20));                  // the bank's tag
    EXPECT_TRUE(AddCredit(20));
}

TEST_F(LinkAgainstFake, AnOverlongReplyIsNeverCopiedBeyondItsBuffers) {
    std::string huge = "CTEL," + std::string(6000, '7') + "\r";
    std::string padded = "CTEL,12" + std::string(5000, ' ') + "\r";
    FakeCreditService fake({Answer(huge), Answer("CTEL,3\r"), Answer(padded), Answer("CTEL,4\r")});
    Connect(fake);
    EXPECT_EQ(QueryCredit(), CreditQueryFailed);
    // The rest of the long reply is stale by the next request and is thrown away.
    EXPECT_EQ(QueryCredit(), 3);
    EXPECT_EQ(QueryCredit(), 12);
    EXPECT_EQ(QueryCredit(), 4);
}

TEST_F(LinkAgainstFake, AClosedConnectionFailsEveryRequestAndTheGameGoesOn) {
    FakeCreditService fake({Answer("CTEL,100\r"), FakeStep{FakeStep::Close, "", 0}});
    Connect(fake);
    EXPECT_EQ(QueryCredit(), 100);
    // The zero-byte reply must not leave the last reply to be parsed again.
    EXPECT_EQ(QueryCredit(), CreditQueryFailed);
    EXPECT_EQ(QueryCredit(), CreditQueryFailed);
    EXPECT_EQ(CurrentBank(), 0);
    EXPECT_FALSE(TakeStake());
    EXPECT_EQ(gAuditRecord.counter[0], 0);
}

TEST_F(LinkAgainstFake, AServiceThatNeverAnswersFailsAfterTheTimeOut) {
    FakeCreditService fake({FakeStep{FakeStep::Silent, "", 0}, Answer("BTEL,30\r")});
    Connect(fake);
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(QueryCredit(), CreditQueryFailed);
    auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(gCreditReplyTimeoutMs - 50));
    EXPECT_EQ(QueryBank(), 30);
}

TEST_F(LinkAgainstFake, AReplyThatComesAfterItsTimeOutIsNotTakenForTheNext) {
    FakeCreditService fake({FakeStep{FakeStep::LateAnswer, "CTEL,7\r", gCreditReplyTimeoutMs + 300},
                            Answer("BTEL,9\r")});
    Connect(fake);
    EXPECT_EQ(QueryCredit(), CreditQueryFailed);
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_EQ(QueryBank(), 9);
}

TEST_F(LinkAgainstFake, ARefusedStakeStartsNoGameAndRecordsNothing) {
    FakeCreditService fake({Answer("CTEL,100\r"), Answer("BTEL,0\r"), Answer("FAIL,0\r")});
    Connect(fake);
    float balanceBefore = GetBalance(0);
    EXPECT_FALSE(TakeStake());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(fake.Lines(), (std::vector<std::string>{"CGET\r\n", "BGET\r\n", "CUSE,50\r\n"}));
    EXPECT_EQ(GetBalance(0), balanceBefore);
    for (int id : {0, 36, 37, 38}) EXPECT_EQ(gAuditRecord.counter[id], 0) << "counter " << id;
}

TEST_F(LinkAgainstFake, AFailedBankQueryAfterTheStakeCountsAsABigBank) {
    FakeCreditService fake(
        {Answer("CTEL,100\r"), Answer("BTEL,0\r"), Answer("CTEL,50\r"), Answer("FAIL,0\r")});
    Connect(fake);
    EXPECT_TRUE(TakeStake());
    EXPECT_EQ(gAuditRecord.counter[38], 1);
    EXPECT_EQ(gAuditRecord.counter[0], 1);
    EXPECT_FLOAT_EQ(GetBalance(0), -12.5f);
}

TEST_F(LinkAgainstFake, AFailedPrizePaymentIsLoggedWithItsAmount) {
    LogFolder log;
    // Each part reads the balances first; the bank refuses 100, the credit takes 50, the bank
    // takes 300, the credit refuses 25. A refusal is an answer: nothing is sent again.
    FakeCreditService fake({Answer("CTEL,0\r"), Answer("BTEL,0\r"), Answer("FAIL,0\r"),
                            Answer("CTEL,0\r"), Answer("BTEL,0\r"), Answer("CTEL,50\r"),
                            Answer("CTEL,50\r"), Answer("BTEL,0\r"), Answer("BTEL,300\r"),
                            Answer("CTEL,50\r"), Answer("BTEL,300\r"), Answer("FAIL,0\r")});
    Connect(fake);
    PayPrize(150);
    PayPrize(325);
    std::string text = log.Text();
    EXPECT_NE(text.find("100 pence to the bank not paid"), std::string::npos) << text;
    EXPECT_NE(text.find("25 pence to the credit not paid"), std::string::npos) << text;
    EXPECT_EQ(text.find("50 pence to the credit not paid"), std::string::npos) << text;
    EXPECT_EQ(text.find("300 pence"), std::string::npos) << text;
    std::vector<std::string> changes;
    for (const std::string& line : fake.Lines())
        if (line != "CGET\r\n" && line != "BGET\r\n") changes.push_back(line);
    EXPECT_EQ(changes, (std::vector<std::string>{"BADD,100\r\n", "CADD,50\r\n", "BADD,300\r\n",
                                                 "CADD,25\r\n"}));
}
}  // namespace
