// The credit service killed with SIGKILL at random moments while eight clients move money: after
// every restart each acknowledged change is in the ledger exactly once, in the order its client
// sent it and with the balances its reply gave, nothing refused or unsent is there, the ledger
// replayed gives every row's balances and the stored ones, and no balance is ever negative.
// BRINDLEMARK_KILLS sets the number of kills (40 unless given; the long campaign runs 1,000).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/net_server.h"
#include "store.h"
#include "support/credit_service.h"

namespace {
constexpr int Clients = 8;

// One request a client sent in this life of the service, and what came back.
struct Sent {
    Request request;
    std::string reply;  // empty: no reply before the service died
};

struct ClientRun {
    std::string peer;  // "127.0.0.1:port", as the ledger names the client
    std::vector<Sent> sent;
};

Request RandomRequest(std::mt19937& random) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    int32_t amount = 1 + pick(400);
    switch (pick(10)) {
        case 0:
        case 1:
        case 2:
            return Request{Verb::CreditAdd, amount};
        case 3:
        case 4:
            return Request{Verb::BankAdd, amount};
        case 5:
        case 6:
        case 7:
            return Request{Verb::CreditUse, amount};
        case 8:
            return Request{Verb::CreditGet, 0};
        default:
            return Request{Verb::BankGet, 0};
    }
}

std::string Line(const Request& r) {
    if (r.verb == Verb::CreditGet || r.verb == Verb::BankGet)
        return std::string(VerbName(r.verb)) + "\r\n";
    return std::string(VerbName(r.verb)) + "," + std::to_string(r.amount) + "\r\n";
}

// Sends random requests one after another until the connection dies or `stop` is set.
void Hammer(uint16_t port, unsigned seed, const std::atomic<bool>& stop, ClientRun& run) {
    std::mt19937 random(seed);
    SocketHandle s = OpenTcpSocket();
    if (!ConnectSocket(s, "127.0.0.1", port)) {
        CloseSocket(s);
        return;
    }
    run.peer = "127.0.0.1:" + std::to_string(SocketLocalPort(s));
    while (!stop) {
        Sent sent{RandomRequest(random), ""};
        std::string line = Line(sent.request);
        if (SendOnSocket(s, line.data(), line.size()) != static_cast<long>(line.size())) break;
        run.sent.push_back(sent);
        char buffer[256];
        long n = ReceiveOnSocket(s, buffer, sizeof buffer - 1, 5000);
        if (n <= 0) break;
        run.sent.back().reply.assign(buffer, static_cast<size_t>(n));
    }
    CloseSocket(s);
}

bool IsChange(Verb v) {
    return v == Verb::CreditUse || v == Verb::BankAdd || v == Verb::CreditAdd;
}

int64_t ReplyValue(const std::string& reply) {
    return std::stoll(reply.substr(5));
}

struct Figures {
    int kills = 0;
    int64_t requests = 0, acknowledged = 0, changesAcknowledged = 0, refused = 0, unanswered = 0,
            unansweredBooked = 0, rowsChecked = 0;
};

class KillCampaign : public ::testing::Test {
  protected:
    // Checks the rows added since the last check against what the clients were told.
    void CheckLife(const std::vector<ClientRun>& runs) {
        CreditStore store;
        std::string error;
        ASSERT_TRUE(store.Open(folder_.File("credit.db"), true, &error)) << error;
        std::vector<LedgerRow> rows;
        ASSERT_TRUE(store.LastChanges(1000000000, &rows, &error)) << error;
        Balances stored;
        ASSERT_TRUE(store.Read(&stored));
        std::map<std::string, std::vector<LedgerRow>> byClient;
        for (const LedgerRow& row : rows) {
            if (row.id <= lastId_) continue;
            ASSERT_EQ(row.id, lastId_ + 1) << "a gap in the ledger";
            lastId_ = row.id;
            Request request;
            const char* reason = "";
            ASSERT_TRUE(
                ParseRequest(row.request + "," + std::to_string(row.amount), &request, &reason))
                << row.request;
            Balances after;
            ASSERT_TRUE(BalancesAfter(request, replayed_, &after)) << "row " << row.id;
            ASSERT_EQ(after.credit, row.credit) << "row " << row.id;
            ASSERT_EQ(after.bank, row.bank) << "row " << row.id;
            ASSERT_GE(after.credit, 0);
            ASSERT_GE(after.bank, 0);
            replayed_ = after;
            byClient[row.client].push_back(row);
            ++figures_.rowsChecked;
        }
        ASSERT_EQ(stored.credit, replayed_.credit);
        ASSERT_EQ(stored.bank, replayed_.bank);
        size_t matched = 0;
        for (const ClientRun& run : runs) {
            figures_.requests += static_cast<int64_t>(run.sent.size());
            std::vector<LedgerRow> mine;
            if (auto it = byClient.find(run.peer); it != byClient.end()) {
                mine = it->second;
                ++matched;
            }
            size_t next = 0;
            for (const Sent& s : run.sent) {
                bool change = IsChange(s.request.verb);
                if (s.reply.empty()) {  // in flight at the kill: booked at most once
                    ++figures_.unanswered;
                    if (change && next < mine.size()) {
                        ASSERT_EQ(next + 1, mine.size()) << run.peer;
                        ASSERT_EQ(mine[next].request, VerbName(s.request.verb));
                        ASSERT_EQ(mine[next].amount, s.request.amount);
                        ++figures_.unansweredBooked;
                        ++next;
                    }
                    continue;
                }
                ++figures_.acknowledged;
                if (s.reply == "FAIL,0\r") {
                    ++figures_.refused;
                    ASSERT_EQ(s.request.verb, Verb::CreditUse) << Line(s.request);
                    continue;
                }
                if (!change) continue;
                ++figures_.changesAcknowledged;
                ASSERT_LT(next, mine.size()) << run.peer << " " << Line(s.request) << " is lost";
                const LedgerRow& row = mine[next++];
                ASSERT_EQ(row.request, VerbName(s.request.verb)) << run.peer;
                ASSERT_EQ(row.amount, s.request.amount) << run.peer;
                int64_t told = ReplyValue(s.reply);
                ASSERT_EQ(s.request.verb == Verb::BankAdd ? row.bank : row.credit, told)
                    << run.peer << " " << Line(s.request);
            }
            ASSERT_EQ(next, mine.size()) << run.peer << ": rows that nobody asked for";
        }
        ASSERT_EQ(matched, byClient.size()) << "rows from a client that was not there";
    }

    // Prints the figures so far.
    void Report(std::chrono::steady_clock::time_point started);

    ScratchFolder folder_{"kill-campaign"};
    int64_t lastId_ = 0;
    Balances replayed_;
    Figures figures_;
};

TEST_F(KillCampaign, EveryAcknowledgedChangeIsInTheLedgerOnceAfterEachKill) {
    int kills = 40;
    if (const char* text = std::getenv("BRINDLEMARK_KILLS")) kills = std::atoi(text);
    std::mt19937 random(20261209);
    auto started = std::chrono::steady_clock::now();
    for (int life = 0; life < kills; ++life) {
        ServiceProcess service(folder_.File("credit.db"), folder_.File("service.log"));
        ASSERT_TRUE(service.started())
            << "life " << life << ": " << ReadText(folder_.File("service.log")) << "\n"
            << ReadText("/proc/" + std::to_string(service.process()) + "/status") << "\n"
            << ReadText("/proc/" + std::to_string(service.process()) + "/wchan") << "\n"
            << ReadText("/proc/" + std::to_string(service.process()) + "/stack");
        std::atomic<bool> stop{false};
        std::vector<ClientRun> runs(Clients);
        std::vector<std::thread> threads;
        for (int c = 0; c < Clients; ++c)
            threads.emplace_back(Hammer, service.port(), static_cast<unsigned>(random()),
                                 std::cref(stop), std::ref(runs[static_cast<size_t>(c)]));
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 150000));
        service.KillHard();
        stop = true;
        for (std::thread& t : threads) t.join();
        ++figures_.kills;
        CheckLife(runs);
        if (HasFatalFailure()) return;
        if ((life + 1) % 100 == 0 || life + 1 == kills) Report(started);
    }
    EXPECT_GT(figures_.changesAcknowledged, 0);
}

void KillCampaign::Report(std::chrono::steady_clock::time_point started) {
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf(
        "kills %d, requests %lld, acknowledged %lld (changes %lld, refused %lld), in flight at a "
        "kill %lld (of which booked %lld), ledger rows checked %lld, credit %lld and bank %lld, "
        "%.1f s\n",
        figures_.kills, static_cast<long long>(figures_.requests),
        static_cast<long long>(figures_.acknowledged),
        static_cast<long long>(figures_.changesAcknowledged),
        static_cast<long long>(figures_.refused), static_cast<long long>(figures_.unanswered),
        static_cast<long long>(figures_.unansweredBooked),
        static_cast<long long>(figures_.rowsChecked), static_cast<long long>(replayed_.credit),
        static_cast<long long>(replayed_.bank), seconds);
    std::fflush(stdout);
}
}  // namespace
