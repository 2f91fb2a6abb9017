// The game's credit link against the real brindlemark-credit service on a free port.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "credit/link.h"
#include "records/audit.h"
#include "store.h"
#include "support/credit_service.h"

namespace {
class LinkAgainstService : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAuditRecord();
        service_ = std::make_unique<ServiceProcess>(folder_.File("credit.db"),
                                                    folder_.File("service.log"));
        ASSERT_TRUE(service_->started()) << ReadText(folder_.File("service.log"));
        gCreditServicePort = service_->port();
        ASSERT_TRUE(CreateCreditSocket());
        ASSERT_TRUE(ConnectCreditService());
    }
    void TearDown() override {
        CloseCreditLink();
        gCreditServicePort = 6667;
    }
    // The ledger's requests as "VERB amount", oldest first.
    std::vector<std::string> LedgerLines() {
        CreditStore store;
        std::string error;
        std::vector<LedgerRow> rows;
        EXPECT_TRUE(store.Open(folder_.File("credit.db"), true, &error)) << error;
        EXPECT_TRUE(store.LastChanges(1000, &rows, &error)) << error;
        std::vector<std::string> lines;
        for (const LedgerRow& r : rows) lines.push_back(r.request + " " + std::to_string(r.amount));
        return lines;
    }
    ScratchFolder folder_{"credit-link"};
    std::unique_ptr<ServiceProcess> service_;
};

TEST_F(LinkAgainstService, BalancesFollowTheChanges) {
    EXPECT_EQ(QueryCredit(), 0);
    EXPECT_EQ(QueryBank(), 0);
    EXPECT_TRUE(AddCredit(250));
    EXPECT_TRUE(AddBank(1200));
    EXPECT_EQ(QueryCredit(), 250);
    EXPECT_EQ(QueryBank(), 1200);
    EXPECT_EQ(CurrentCredit(), 250);
    EXPECT_EQ(CurrentBank(), 1200);
    EXPECT_TRUE(AddBank(9000));
    EXPECT_EQ(QueryBank(), 10200);
    EXPECT_EQ(CurrentBank(), 0);
}

TEST_F(LinkAgainstService, AStakeTakesCreditFirstThenBankAndIsRefusedWhenShort) {
    EXPECT_TRUE(AddCredit(30));
    EXPECT_TRUE(AddBank(40));
    EXPECT_TRUE(UseCredit(50));
    EXPECT_EQ(QueryCredit(), 0);
    EXPECT_EQ(QueryBank(), 20);
    EXPECT_FALSE(UseCredit(50));
    EXPECT_EQ(QueryBank(), 20);
    EXPECT_FALSE(TakeStake());
    EXPECT_EQ(gAuditRecord.counter[0], 0);
    EXPECT_EQ(LedgerLines(), (std::vector<std::string>{"CADD 30", "BADD 40", "CUSE 50"}));
}

TEST_F(LinkAgainstService, PrizesSendWholePoundsToTheBankAndOddPenceToTheCredit) {
    struct Case {
        int16_t prize;
        std::vector<std::string> lines;
        int credit, bank;
    };
    const Case cases[] = {
        {0, {}, 0, 0},
        {50, {"CADD 50"}, 50, 0},
        {150, {"BADD 100", "CADD 50"}, 100, 100},
        {600, {"BADD 600"}, 100, 700},
        {1000, {"BADD 1000"}, 100, 1700},
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        PayPrize(c.prize);
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        EXPECT_EQ(LedgerLines(), expected) << "after a prize of " << c.prize;
        EXPECT_EQ(QueryCredit(), c.credit) << "after a prize of " << c.prize;
        EXPECT_EQ(QueryBank(), c.bank) << "after a prize of " << c.prize;
    }
}

TEST_F(LinkAgainstService, AStakeCountsThePurchaseByTheBankLeftAfterIt) {
    struct Case {
        int bank;
        int counter;
    };
    const Case cases[] = {{499, 36}, {500, 37}, {750, 37}, {1000, 38}};
    int bought = 0;
    int32_t byCounter[3] = {0, 0, 0};
    for (const Case& c : cases) {
        int bank = QueryBank();
        if (c.bank > bank) {
            ASSERT_TRUE(AddBank(c.bank - bank));
        }
        ASSERT_TRUE(AddCredit(GameStake));
        ASSERT_TRUE(TakeStake()) << "bank " << c.bank;
        ++bought;
        ++byCounter[c.counter - 36];
        EXPECT_EQ(QueryBank(), c.bank);
        EXPECT_EQ(QueryCredit(), 0);
        EXPECT_EQ(gAuditRecord.counter[0], bought);
        for (int id = 36; id <= 38; ++id)
            EXPECT_EQ(gAuditRecord.counter[id], byCounter[id - 36]) << "bank " << c.bank;
        EXPECT_FLOAT_EQ(GetBalance(0), -12.5f * static_cast<float>(bought));
    }
}

TEST_F(LinkAgainstService, TermIsAcceptedWithoutAReplyAndLogged) {
    SendTerm();
    CloseCreditLink();
    ASSERT_TRUE(CreateCreditSocket());
    ASSERT_TRUE(ConnectCreditService());
    EXPECT_EQ(QueryCredit(), 0);
    EXPECT_NE(ReadText(folder_.File("service.log")).find("TERM"), std::string::npos);
}
}  // namespace
