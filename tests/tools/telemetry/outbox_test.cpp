// The agent's outbox: numbers never repeat, even after the outbox is opened again; when it is
// full the oldest heartbeats make way, new heartbeats are dropped, and games or money are refused
// with the source's read position kept, so nothing of value is ever dropped; what the broker took
// is sent again only when asked, and leaves only when the collector confirms it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "outbox.h"
#include "support/credit_service.h"

namespace {
int64_t SeqOf(const OutMessage& m) {
    return nlohmann::json::parse(m.payload)["seq"].get<int64_t>();
}

TEST(Outbox, FullDropsHeartbeatsOnlyAndKeepsNumbersAndPositions) {
    ScratchFolder scratch("outbox");
    std::string path = scratch.File("outbox.db"), note, error;
    {
        Outbox outbox;
        ASSERT_TRUE(outbox.Open(path, "pub-a", 4, &error)) << error;
        EXPECT_EQ(
            outbox.Enqueue({{"heartbeat", "{}"}, {"heartbeat", "{}"}, {"ledger", "{\"id\":1}"}},
                           {{"ledger", "1"}}, &note),
            EnqueueResult::Added);
        // Two more ledger entries: the oldest heartbeat makes way for one of them.
        EXPECT_EQ(outbox.Enqueue({{"ledger", "{\"id\":2}"}, {"ledger", "{\"id\":3}"}},
                                 {{"ledger", "3"}}, &note),
                  EnqueueResult::Added);
        EXPECT_NE(note.find("dropped the 1 oldest heartbeats"), std::string::npos) << note;
        EXPECT_EQ(outbox.Count(), 4);
        // Full of money but for one heartbeat: a game with its meters does not fit even so.
        note.clear();
        EXPECT_EQ(outbox.Enqueue({{"game", "{}"}, {"meters", "{}"}}, {{"game", "1"}}, &note),
                  EnqueueResult::Full);
        EXPECT_EQ(outbox.Cursor("game", "0"), "0");
        EXPECT_EQ(outbox.Count(), 4);
        EXPECT_EQ(outbox.Enqueue({{"heartbeat", "{}"}}, {}, &note), EnqueueResult::Added);
        EXPECT_EQ(outbox.Count(), 4);
        EXPECT_EQ(outbox.Room(), 1);
    }
    Outbox outbox;
    ASSERT_TRUE(outbox.Open(path, "pub-a", 100, &error)) << error;
    EXPECT_EQ(outbox.Cursor("ledger"), "3");
    std::vector<OutMessage> unsent = outbox.Unsent(10);
    ASSERT_EQ(unsent.size(), 4u);
    std::vector<int64_t> seqs;
    for (const OutMessage& m : unsent) seqs.push_back(SeqOf(m));
    EXPECT_EQ(seqs, (std::vector<int64_t>{3, 4, 5, 6})) << "heartbeats 1 and 2 were dropped";
    EXPECT_EQ(unsent[3].kind, "heartbeat");
    EXPECT_EQ(outbox.Enqueue({{"game", "{}"}}, {{"game", "1"}}, &note), EnqueueResult::Added);
    EXPECT_EQ(outbox.LastSeq(), 7) << "numbers go on after the outbox is opened again";

    // Taken by the broker: not offered again until a resend, and gone once confirmed.
    outbox.MarkSent({3, 4, 5});
    EXPECT_EQ(outbox.Unsent(10).size(), 2u);
    outbox.Confirm({{3, 3}, {5, 5}});
    EXPECT_EQ(outbox.Count(), 3);
    EXPECT_EQ(outbox.Resend(0), 1);
    EXPECT_EQ(SeqOf(outbox.Unsent(1)[0]), 4);
    Outbox other;
    EXPECT_FALSE(other.Open(path, "pub-b", 100, &error));
    EXPECT_NE(error.find("belongs to cabinet pub-a"), std::string::npos) << error;
}
}  // namespace
