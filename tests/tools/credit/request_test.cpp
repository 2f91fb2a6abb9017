// Which lines the service takes as requests, and how a change moves the balances.
#include <gtest/gtest.h>

#include <string>

#include "request.h"
#include "store.h"

namespace {
TEST(RequestLines, TheGamesRequestsAreRead) {
    struct Case {
        std::string line;
        Verb verb;
        int32_t amount;
    };
    const Case cases[] = {
        {"CGET", Verb::CreditGet, 0},
        {"BGET", Verb::BankGet, 0},
        {"CUSE,50", Verb::CreditUse, 50},
        {"BADD,100", Verb::BankAdd, 100},
        {"CADD,1", Verb::CreditAdd, 1},
        {"CADD,100000", Verb::CreditAdd, 100000},
        {"TERM", Verb::Term, 0},
        {"PAYO,250000", Verb::BankPayout, 250000},
        {"PAYO,2147483647", Verb::BankPayout, 2147483647},
    };
    for (const Case& c : cases) {
        Request r;
        const char* reason = nullptr;
        ASSERT_TRUE(ParseRequest(c.line, &r, &reason)) << c.line;
        EXPECT_EQ(r.verb, c.verb) << c.line;
        EXPECT_EQ(r.amount, c.amount) << c.line;
    }
}

TEST(RequestLines, AnythingElseIsRefusedWithItsReason) {
    struct Case {
        std::string line;
        std::string reason;
    };
    const Case cases[] = {
        {"CADD,0", "bad amount"},
        {"CADD,100001", "bad amount"},
        {"CADD,-5", "bad amount"},
        {"CADD,+5", "bad amount"},
        {"CADD, 5", "bad amount"},
        {"CADD,5 ", "bad amount"},
        {"CADD,05", "bad amount"},
        {"CADD,5x", "bad amount"},
        {"CADD,", "bad amount"},
        {"CADD", "bad amount"},
        {"CADD,99999999999999", "bad amount"},
        {"CADD,1,2", "bad amount"},
        {"PAYO", "bad amount"},
        {"PAYO,0", "bad amount"},
        {"PAYO,2147483648", "bad amount"},
        {"PAYO,9999999999", "bad amount"},
        {"CGET,5", "unexpected amount"},
        {"TERM,", "unexpected amount"},
        {"cget", "unknown request"},
        {"", "unknown request"},
        {" CGET", "unknown request"},
        {"CGETX", "unknown request"},
        {"XADD,5", "unknown request"},
        {std::string("CGET\0", 5), "junk bytes"},
        {"CADD,\xff", "junk bytes"},
        {"CG\rET", "junk bytes"},
    };
    for (const Case& c : cases) {
        Request r;
        const char* reason = nullptr;
        EXPECT_FALSE(ParseRequest(c.line, &r, &reason)) << PrintableLine(c.line);
        EXPECT_EQ(reason ? std::string(reason) : "", c.reason) << PrintableLine(c.line);
    }
}

TEST(RequestLines, TheLogShowsJunkAsEscapesAndCutsLongLines) {
    EXPECT_EQ(PrintableLine(std::string("A\0\xff\\", 4)), "A\\x00\\xFF\\x5C");
    std::string shown = PrintableLine(std::string(500, 'Z'));
    EXPECT_EQ(shown, std::string(LongestRequestLine, 'Z') + "...");
}

TEST(BalanceChanges, AStakeTakesCreditFirstThenBank) {
    struct Case {
        Balances before;
        int32_t stake;
        bool taken;
        Balances after;
    };
    const Case cases[] = {
        {{80, 0}, 50, true, {30, 0}},
        {{30, 40}, 50, true, {0, 20}},
        {{0, 50}, 50, true, {0, 0}},
        {{20, 29}, 50, false, {20, 29}},
        {{0, 0}, 1, false, {0, 0}},
        {{LargestBalance, LargestBalance}, 100000, true, {LargestBalance - 100000, LargestBalance}},
    };
    for (const Case& c : cases) {
        Balances after;
        EXPECT_EQ(BalancesAfter(Request{Verb::CreditUse, c.stake}, c.before, &after), c.taken);
        if (c.taken) {
            EXPECT_EQ(after.credit, c.after.credit);
            EXPECT_EQ(after.bank, c.after.bank);
        }
    }
}

TEST(BalanceChanges, NoBalancePassesItsLimit) {
    Balances nearFull{LargestBalance - 10, LargestBalance - 10};
    Balances after;
    EXPECT_TRUE(BalancesAfter(Request{Verb::CreditAdd, 10}, nearFull, &after));
    EXPECT_EQ(after.credit, LargestBalance);
    EXPECT_FALSE(BalancesAfter(Request{Verb::CreditAdd, 11}, nearFull, &after));
    EXPECT_TRUE(BalancesAfter(Request{Verb::BankAdd, 10}, nearFull, &after));
    EXPECT_EQ(after.bank, LargestBalance);
    EXPECT_FALSE(BalancesAfter(Request{Verb::BankAdd, 11}, nearFull, &after));
    EXPECT_FALSE(BalancesAfter(Request{Verb::CreditGet, 0}, nearFull, &after));
}

// A payout empties the bank only when it names what the bank holds, and leaves the credit alone.
TEST(BalanceChanges, APayoutEmptiesOnlyTheBankItWasShown) {
    Balances after;
    EXPECT_TRUE(BalancesAfter(Request{Verb::BankPayout, 1250}, Balances{300, 1250}, &after));
    EXPECT_EQ(after.credit, 300);
    EXPECT_EQ(after.bank, 0);
    EXPECT_FALSE(BalancesAfter(Request{Verb::BankPayout, 1250}, Balances{300, 1350}, &after));
    EXPECT_FALSE(BalancesAfter(Request{Verb::BankPayout, 1250}, Balances{300, 0}, &after));
}
}  // namespace
