// The balance history the cabinet appends after each game: a line cut short by a power cut is
// dropped before the next line, and a file grown past its bound keeps the newest 1,000 games.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "game/balance_history.h"
#include "support/scratch.h"

namespace {
std::string History() {
    return ReadText("data/balance-history.txt");
}

TEST(BalanceHistory, ACutLineIsDroppedAndAGrownFileKeepsTheNewestThousand) {
    ScratchDir dir;
    ASSERT_TRUE(AppendBalanceHistory(1, -12.5f));
    ASSERT_TRUE(AppendBalanceHistory(2, 487.5f));
    EXPECT_EQ(History(), "1 -12.5\n2 487.5\n");
    { std::ofstream("data/balance-history.txt", std::ios::app) << "3 47"; }  // the power went
    ASSERT_TRUE(AppendBalanceHistory(3, 475.f));
    EXPECT_EQ(History(), "1 -12.5\n2 487.5\n3 475\n");

    {
        std::ofstream grown("data/balance-history.txt", std::ios::app);
        for (int seq = 4; seq < 5000; ++seq) grown << seq << " " << seq * 0.25 << "\n";
    }
    ASSERT_TRUE(AppendBalanceHistory(5000, 1250.f));
    std::string text = History();
    EXPECT_LE(text.size(), 41u * 1024);
    std::istringstream lines(text);
    std::string line, first, last;
    size_t count = 0;
    while (std::getline(lines, line)) {
        if (first.empty()) first = line;
        last = line;
        ++count;
    }
    EXPECT_EQ(count, static_cast<size_t>(BalanceHistoryKept));
    EXPECT_EQ(last, "5000 1250");
    long firstSeq = std::stol(first);
    EXPECT_EQ(static_cast<size_t>(5000 - firstSeq + 1), count) << "no game missing between";
    EXPECT_FALSE(std::ifstream("data/balance-history.txt.tmp").good());
}
}  // namespace
