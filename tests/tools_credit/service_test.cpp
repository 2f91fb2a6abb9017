// The credit service run as the cabinet runs it: line handling, many clients, durability across
// kill -9, and hostile clients that must change nothing.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "credit/service_support.h"
#include "store.h"

namespace {
const std::string Refusal = "FAIL,0\r";

class Service : public ::testing::Test {
  protected:
    void SetUp() override { Start(); }
    void Start() {
        service_ = std::make_unique<ServiceProcess>(folder_.File("credit.db"), Log());
        ASSERT_TRUE(service_->started()) << ReadText(Log());
    }
    std::string Log() const { return folder_.File("service.log"); }
    uint16_t port() const { return service_->port(); }
    // One request on a fresh connection, and its reply.
    std::string Ask(const std::string& line) {
        RawClient client(port());
        EXPECT_TRUE(client.connected());
        EXPECT_TRUE(client.Send(line));
        return client.Receive();
    }
    // Every ledger row as text, oldest first.
    std::vector<std::string> LedgerText() {
        CreditStore store;
        std::string error;
        std::vector<LedgerRow> rows;
        EXPECT_TRUE(store.Open(folder_.File("credit.db"), true, &error)) << error;
        EXPECT_TRUE(store.LastChanges(1000000, &rows, &error)) << error;
        std::vector<std::string> text;
        for (const LedgerRow& r : rows)
            text.push_back(std::to_string(r.id) + " " + r.time + " " + r.client + " " + r.request +
                           " " + std::to_string(r.amount) + " " + std::to_string(r.credit) + " " +
                           std::to_string(r.bank));
        return text;
    }
    ScratchFolder folder_{"credit-service"};
    std::unique_ptr<ServiceProcess> service_;
};

TEST_F(Service, AnswersEachLineWholeWithEitherLineEnd) {
    RawClient c(port());
    ASSERT_TRUE(c.connected());
    ASSERT_TRUE(c.Send("CADD,150\r\n"));
    EXPECT_EQ(c.Receive(), "CTEL,150\r");
    ASSERT_TRUE(c.Send("BADD,40\n"));
    EXPECT_EQ(c.Receive(), "BTEL,40\r");
    ASSERT_TRUE(c.Send("CUSE,170\r\n"));
    EXPECT_EQ(c.Receive(), "CTEL,0\r");
    ASSERT_TRUE(c.Send("BGET\r\n"));
    EXPECT_EQ(c.Receive(), "BTEL,20\r");
    ASSERT_TRUE(c.Send("CUSE,21\r\n"));
    EXPECT_EQ(c.Receive(), Refusal);
    // A line that arrives in pieces is answered once it is whole.
    ASSERT_TRUE(c.Send("CG"));
    EXPECT_EQ(c.Receive(200), "<timeout>");
    ASSERT_TRUE(c.Send("ET\r\n"));
    EXPECT_EQ(c.Receive(), "CTEL,0\r");
    // TERM gets no reply; the connection stays usable.
    ASSERT_TRUE(c.Send("TERM\r\n"));
    EXPECT_EQ(c.Receive(200), "<timeout>");
    ASSERT_TRUE(c.Send("BGET\r\n"));
    EXPECT_EQ(c.Receive(), "BTEL,20\r");
}

TEST_F(Service, ALineOver64BytesIsRefusedAndEndsTheConnection) {
    // 64 bytes is still a line: refused as unknown, and the connection goes on.
    RawClient c(port());
    ASSERT_TRUE(c.Send(std::string(64, 'A') + "\r\n"));
    EXPECT_EQ(c.Receive(), Refusal);
    ASSERT_TRUE(c.Send("CGET\r\n"));
    EXPECT_EQ(c.Receive(), "CTEL,0\r");
    ASSERT_TRUE(c.Send("CADD,5" + std::string(59, '0') + "\r\n"));
    EXPECT_EQ(c.Receive(), Refusal);
    EXPECT_EQ(c.Receive(), "");

    // So is a line that never ends.
    RawClient d(port());
    ASSERT_TRUE(d.Send(std::string(100, 'B')));
    EXPECT_EQ(d.Receive(), Refusal);
    EXPECT_EQ(d.Receive(), "");
    EXPECT_EQ(Ask("CGET\r\n"), "CTEL,0\r");
}

TEST_F(Service, SilentAndHalfFinishedClientsHoldNobodyUp) {
    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < 20; ++i) {
        idle.push_back(std::make_unique<RawClient>(port()));
        ASSERT_TRUE(idle.back()->connected());
        if (i % 2) {
            ASSERT_TRUE(idle.back()->Send("CADD,1"));
        }
    }
    EXPECT_EQ(Ask("CADD,7\r\n"), "CTEL,7\r");
    EXPECT_EQ(Ask("CGET\r\n"), "CTEL,7\r");
    ASSERT_TRUE(idle[1]->Send("\r\n"));
    EXPECT_EQ(idle[1]->Receive(), "CTEL,8\r");
}

TEST_F(Service, AnAcknowledgedChangeSurvivesKillMinus9) {
    {
        RawClient c(port());
        ASSERT_TRUE(c.Send("CADD,150\r\n"));
        ASSERT_EQ(c.Receive(), "CTEL,150\r");
        for (int i = 0; i < 20; ++i) {
            ASSERT_TRUE(c.Send("BADD,10\r\n"));
            ASSERT_EQ(c.Receive(), "BTEL," + std::to_string(10 * (i + 1)) + "\r");
        }
    }
    service_->KillHard();
    Start();
    EXPECT_EQ(Ask("CGET\r\n"), "CTEL,150\r");
    EXPECT_EQ(Ask("BGET\r\n"), "BTEL,200\r");
    std::vector<std::string> ledger = LedgerText();
    ASSERT_EQ(ledger.size(), 21u);
    EXPECT_NE(ledger[0].find(" CADD 150 150 0"), std::string::npos) << ledger[0];
    EXPECT_NE(ledger[20].find(" BADD 10 150 200"), std::string::npos) << ledger[20];
}

// A request that must be refused: what it is, and whether it ends the connection.
struct Hostile {
    std::string bytes;
    bool closes;
};

Hostile MakeHostile(std::mt19937& random) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* verbs[] = {"CUSE", "BADD", "CADD"};
    std::string verb = verbs[pick(3)];
    switch (pick(9)) {
        case 0:  // over-long, with or without its line end
            return {std::string(65 + pick(300), static_cast<char>('A' + pick(26))) +
                        (pick(2) ? "\r\n" : ""),
                    true};
        case 1: {  // junk bytes, never a line end among them
            std::string junk;
            for (int i = 1 + pick(40); i > 0; --i) {
                char c = static_cast<char>(pick(256));
                junk.push_back(c == '\n' ? '\x7f' : c);
            }
            junk[static_cast<size_t>(pick(static_cast<int>(junk.size())))] = '\x80';
            return {junk + "\r\n", false};
        }
        case 2:
            return {verb + ",-" + std::to_string(1 + pick(100000)) + "\r\n", false};
        case 3: {
            const char* huge[] = {"100001", "2147483648", "4294967346", "99999999999999999999",
                                  "1000000"};
            return {verb + "," + huge[pick(5)] + "\r\n", false};
        }
        case 4: {
            const char* words[] = {"abc", "1e3", " 5", "5 ", "0x10", "+50", "", "5,5", "050", "0"};
            return {verb + "," + words[pick(10)] + "\r\n", false};
        }
        case 5: {
            const char* unknown[] = {"XGET",   "cget",   "DROP TABLE ledger;",
                                     "CGET,1", "TERM,5", "BGET ",
                                     "CTEL,5", "FAIL,0", "CADD"};
            return {std::string(unknown[pick(9)]) + (pick(2) ? "\r\n" : "\n"), false};
        }
        case 6:
            return {verb + std::string(1, '\0') + ",50\r\n", false};
        case 7:
            return {std::string("\r\n"), false};
        default:
            return {verb + ",5\r\r\n", false};
    }
}

TEST_F(Service, TenThousandHostileRequestsOverFiftyConnectionsChangeNothing) {
    ASSERT_EQ(Ask("CADD,1234\r\n"), "CTEL,1234\r");
    ASSERT_EQ(Ask("BADD,5678\r\n"), "BTEL,5678\r");
    std::vector<std::string> ledgerBefore = LedgerText();
    ASSERT_EQ(ledgerBefore.size(), 2u);

    constexpr int Connections = 50, PerConnection = 200;
    std::vector<std::string> faults(Connections);
    std::vector<std::thread> threads;
    for (int t = 0; t < Connections; ++t)
        threads.emplace_back([&, t] {
            std::mt19937 random(static_cast<unsigned>(1000 + t));
            auto client = std::make_unique<RawClient>(port());
            for (int i = 0; i < PerConnection && faults[t].empty(); ++i) {
                Hostile h = MakeHostile(random);
                if (!client->connected() || !client->Send(h.bytes)) {
                    faults[t] = "could not send request " + std::to_string(i);
                    break;
                }
                std::string reply = client->Receive();
                if (reply != Refusal)
                    faults[t] = "request " + std::to_string(i) + " got \"" + reply + "\"";
                if (h.closes) {
                    std::string end = client->Receive();
                    if (!end.empty()) faults[t] = "an over-long line left the connection open";
                    client = std::make_unique<RawClient>(port());
                }
            }
        });
    for (std::thread& t : threads) t.join();
    for (int t = 0; t < Connections; ++t) EXPECT_EQ(faults[t], "") << "connection " << t;

    EXPECT_EQ(Ask("CGET\r\n"), "CTEL,1234\r");
    EXPECT_EQ(Ask("BGET\r\n"), "BTEL,5678\r");
    EXPECT_EQ(LedgerText(), ledgerBefore);
    EXPECT_EQ(Ask("CADD,1\r\n"), "CTEL,1235\r");
    EXPECT_EQ(LedgerText().size(), 3u);
}
}  // namespace
