// The service's store: balances and ledger rows written together, refusals leaving both alone.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "store.h"
#include "support/credit_service.h"

namespace {
std::vector<LedgerRow> Ledger(CreditStore& store) {
    std::vector<LedgerRow> rows;
    std::string error;
    EXPECT_TRUE(store.LastChanges(100, &rows, &error)) << error;
    return rows;
}

TEST(CreditStore, EveryChangeWritesItsLedgerRowAndRefusalsWriteNothing) {
    ScratchFolder folder("credit-store");
    CreditStore store;
    std::string error;
    ASSERT_TRUE(store.Open(folder.File("c.db"), false, &error)) << error;
    Balances b;
    EXPECT_EQ(store.Apply(Request{Verb::CreditAdd, 70}, "a:1", &b, &error), ChangeResult::Done);
    EXPECT_EQ(store.Apply(Request{Verb::BankAdd, 200}, "b:2", &b, &error), ChangeResult::Done);
    EXPECT_EQ(store.Apply(Request{Verb::CreditUse, 100}, "a:1", &b, &error), ChangeResult::Done);
    EXPECT_EQ(store.Apply(Request{Verb::CreditUse, 500}, "a:1", &b, &error), ChangeResult::Refused);
    ASSERT_TRUE(store.Read(&b));
    EXPECT_EQ(b.credit, 0);
    EXPECT_EQ(b.bank, 170);
    std::vector<LedgerRow> rows = Ledger(store);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].request, "CADD");
    EXPECT_EQ(rows[1].client, "b:2");
    EXPECT_EQ(rows[2].request, "CUSE");
    EXPECT_EQ(rows[2].amount, 100);
    EXPECT_EQ(rows[2].credit, 0);
    EXPECT_EQ(rows[2].bank, 170);
    EXPECT_EQ(rows[2].time.size(), 24u);

    // The last rows come newest last.
    std::vector<LedgerRow> last;
    ASSERT_TRUE(store.LastChanges(2, &last, &error));
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(last[0].request, "BADD");
    EXPECT_EQ(last[1].request, "CUSE");
}

TEST(CreditStore, ABalanceAtItsLimitRefusesMoreAndKeepsTheLedger) {
    ScratchFolder folder("credit-limit");
    std::string path = folder.File("c.db");
    {
        CreditStore store;
        std::string error;
        ASSERT_TRUE(store.Open(path, false, &error)) << error;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE balances SET credit = 2147483600, bank = 5", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    CreditStore store;
    std::string error;
    ASSERT_TRUE(store.Open(path, false, &error)) << error;
    Balances b;
    EXPECT_EQ(store.Apply(Request{Verb::CreditAdd, 48}, "x", &b, &error), ChangeResult::Refused);
    EXPECT_EQ(store.Apply(Request{Verb::CreditAdd, 47}, "x", &b, &error), ChangeResult::Done);
    EXPECT_EQ(b.credit, LargestBalance);
    EXPECT_EQ(store.Apply(Request{Verb::CreditAdd, 1}, "x", &b, &error), ChangeResult::Refused);
    ASSERT_TRUE(store.Read(&b));
    EXPECT_EQ(b.credit, LargestBalance);
    EXPECT_EQ(b.bank, 5);
    EXPECT_EQ(Ledger(store).size(), 1u);
}

TEST(CreditStore, WhatIsNotACreditDatabaseIsNotOpened) {
    ScratchFolder folder("credit-bad");
    std::string error;
    {
        CreditStore store;
        EXPECT_FALSE(store.Open(folder.File("missing.db"), true, &error));
        EXPECT_NE(error.find("missing.db"), std::string::npos) << error;
    }
    std::string junk = folder.File("junk.db");
    {
        FILE* f = std::fopen(junk.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs(std::string(5000, 'j').c_str(), f);
        std::fclose(f);
    }
    CreditStore store;
    error.clear();
    EXPECT_FALSE(store.Open(junk, false, &error));
    EXPECT_FALSE(error.empty());
}
}  // namespace
