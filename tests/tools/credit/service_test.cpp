// The credit service run as the cabinet runs it: line handling, many clients, durability across
// kill -9, and hostile clients that must change nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "serve.h"
#include "store.h"
#include "support/credit_service.h"
#include "support/hostile_requests.h"

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

// A small tmpfs mounted over a folder for the length of a test (the test runs as root), with a
// filler file that takes its space and gives it back.
class SmallDisk {
  public:
    explicit SmallDisk(const std::string& folder) : folder_(folder) {
        std::filesystem::create_directories(folder);
        mounted_ =
            WaitProcess(StartProcess(
                {"/bin/mount", "-t", "tmpfs", "-o", "size=512k", "tmpfs", folder}, "", "")) == 0;
    }
    ~SmallDisk() {
        if (mounted_) WaitProcess(StartProcess({"/bin/umount", "-l", folder_}, "", ""));
    }
    bool mounted() const { return mounted_; }
    // Writes the filler until the disk is full.
    void Fill() {
        FILE* f = std::fopen((folder_ + "/filler").c_str(), "ab");
        std::vector<char> block(4096, 'x');
        while (f && std::fwrite(block.data(), 1, block.size(), f) == block.size() &&
               std::fflush(f) == 0) {
        }
        if (f) std::fclose(f);
    }
    // Gives `bytes` of the filler back (all of it when bytes < 0).
    void Free(long bytes) {
        std::string filler = folder_ + "/filler";
        std::error_code ignored;
        auto size = static_cast<long>(std::filesystem::file_size(filler, ignored));
        std::filesystem::resize_file(filler, bytes < 0 || bytes > size ? 0 : size - bytes, ignored);
    }

  private:
    std::string folder_;
    bool mounted_ = false;
};

TEST(FullDisk, ChangesAreRefusedWholeReadsGoOnAndTheServiceRecovers) {
    ScratchFolder folder("credit-full-disk");
    std::string disk = folder.File("disk");
    SmallDisk small(disk);
    if (!small.mounted()) GTEST_SKIP() << "a tmpfs cannot be mounted here (not root?)";
    std::string db = disk + "/credit.db";
    auto service = std::make_unique<ServiceProcess>(db, folder.File("service.log"));
    ASSERT_TRUE(service->started());
    auto client = std::make_unique<RawClient>(service->port());
    // Each change sent on one connection, with the acknowledged ones kept in order.
    std::vector<std::string> acknowledged;
    int refused = 0;
    auto change = [&](const std::string& line) {
        EXPECT_TRUE(client->Send(line + "\r\n"));
        std::string reply = client->Receive();
        if (reply == Refusal) {
            ++refused;
        } else {
            EXPECT_TRUE(reply.rfind("CTEL,", 0) == 0 || reply.rfind("BTEL,", 0) == 0) << reply;
            acknowledged.push_back(line);
        }
        return reply;
    };
    ASSERT_EQ(change("CADD,1000"), "CTEL,1000\r");
    ASSERT_EQ(change("BADD,500"), "BTEL,500\r");

    small.Fill();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(change(i % 2 ? "CUSE,50" : "CADD,20"), Refusal);
    ASSERT_TRUE(client->Send("CGET\r\n"));
    EXPECT_EQ(client->Receive(), "CTEL,1000\r");
    ASSERT_TRUE(client->Send("BGET\r\n"));
    EXPECT_EQ(client->Receive(), "BTEL,500\r");

    // A little space comes back, a page at a time: changes go through until it runs out again,
    // each either whole or refused.
    for (int pages = 1; pages <= 4; ++pages) {
        small.Free(4096);
        for (int i = 0; i < 4; ++i) change(i % 2 ? "BADD,7" : "CADD,3");
    }
    // Killed while the disk is full, the service starts again on what it had made durable.
    service->KillHard();
    service = std::make_unique<ServiceProcess>(db, folder.File("service.log"));
    ASSERT_TRUE(service->started()) << ReadText(folder.File("service.log"));
    client = std::make_unique<RawClient>(service->port());
    small.Free(-1);
    EXPECT_EQ(change("CADD,1").rfind("CTEL,", 0), 0u);
    EXPECT_EQ(change("CUSE,1").rfind("CTEL,", 0), 0u);
    std::printf("full disk: %d changes refused, %zu acknowledged\n", refused, acknowledged.size());

    // The ledger holds exactly the acknowledged changes, and replays to the balances.
    CreditStore store;
    std::string error;
    std::vector<LedgerRow> rows;
    ASSERT_TRUE(store.Open(db, true, &error)) << error;
    ASSERT_TRUE(store.LastChanges(1000, &rows, &error)) << error;
    std::vector<std::string> booked;
    Balances replayed;
    for (const LedgerRow& row : rows) {
        booked.push_back(row.request + "," + std::to_string(row.amount));
        Request request;
        const char* reason = "";
        ASSERT_TRUE(ParseRequest(booked.back(), &request, &reason));
        Balances next;
        ASSERT_TRUE(BalancesAfter(request, replayed, &next));
        replayed = next;
        EXPECT_EQ(replayed.credit, row.credit);
        EXPECT_EQ(replayed.bank, row.bank);
    }
    EXPECT_EQ(booked, acknowledged);
    Balances stored;
    ASSERT_TRUE(store.Read(&stored));
    EXPECT_EQ(stored.credit, replayed.credit);
    EXPECT_EQ(stored.bank, replayed.bank);
    EXPECT_GE(refused, 5);
}

// Kilobytes of a /proc status field of the process ("VmRSS", "VmHWM"), or -1.
long StatusKb(ProcessId process, const std::string& field) {
    std::string status = ReadText("/proc/" + std::to_string(process) + "/status");
    size_t at = status.find(field + ":");
    return at == std::string::npos ? -1 : std::stol(status.substr(at + field.size() + 1));
}

TEST_F(Service, TenThousandHostileRequestsOverFiftyConnectionsChangeNothingAndDelayNobody) {
    ASSERT_EQ(Ask("CADD,1234\r\n"), "CTEL,1234\r");
    ASSERT_EQ(Ask("BADD,5678\r\n"), "BTEL,5678\r");
    std::vector<std::string> ledgerBefore = LedgerText();
    ASSERT_EQ(ledgerBefore.size(), 2u);
    long rssBefore = StatusKb(service_->process(), "VmRSS");

    // A well-behaved client asks for the credit every few milliseconds throughout.
    std::atomic<bool> flooding{true};
    std::vector<double> latencies;
    std::string wellBehavedFault;
    std::thread wellBehaved([&] {
        RawClient c(port());
        while (flooding && wellBehavedFault.empty()) {
            auto asked = std::chrono::steady_clock::now();
            std::string reply = c.Send("CGET\r\n") ? c.Receive() : "<send failed>";
            latencies.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked)
                    .count());
            if (reply != "CTEL,1234\r") wellBehavedFault = reply;
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    });

    // Every fifth connection writes its requests a few bytes at a time with pauses (slow writers
    // and half lines left hanging for a while); the others send each request whole.
    constexpr int Connections = 50, PerConnection = 200;
    std::vector<std::string> faults(Connections);
    std::vector<std::thread> threads;
    for (int t = 0; t < Connections; ++t)
        threads.emplace_back([&, t] {
            std::mt19937 random(static_cast<unsigned>(1000 + t));
            bool slow = t % 5 == 0;
            auto client = std::make_unique<RawClient>(port());
            for (int i = 0; i < PerConnection && faults[t].empty(); ++i) {
                Hostile h = MakeHostile(random);
                bool sent = client->connected();
                for (size_t at = 0; sent && at < h.bytes.size();) {
                    // An over-long line goes whole: the service ends the connection at its 65th
                    // byte, and the rest would find it gone.
                    size_t piece = slow && !h.closes ? 1 + random() % 8 : h.bytes.size();
                    sent = client->Send(h.bytes.substr(at, piece));
                    at += piece;
                    if (at < h.bytes.size())
                        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
                }
                if (!sent) {
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
    flooding = false;
    wellBehaved.join();
    for (int t = 0; t < Connections; ++t) EXPECT_EQ(faults[t], "") << "connection " << t;
    EXPECT_EQ(wellBehavedFault, "");

    std::sort(latencies.begin(), latencies.end());
    ASSERT_FALSE(latencies.empty());
    double worst = latencies.back();
    double p99 = latencies[latencies.size() * 99 / 100];
    double median = latencies[latencies.size() / 2];
    long peak = StatusKb(service_->process(), "VmHWM");
    std::printf(
        "flood: %zu answers to the well-behaved client, median %.2f ms, 99th %.2f ms, "
        "worst %.2f ms; service memory %ld kB before, peak %ld kB\n",
        latencies.size(), median, p99, worst, rssBefore, peak);
    EXPECT_LT(worst, 1000.0) << "the well-behaved client was held up";
    EXPECT_LT(peak - rssBefore, 128 * 1024) << "the service's memory grew with the flood";

    EXPECT_EQ(Ask("CGET\r\n"), "CTEL,1234\r");
    EXPECT_EQ(Ask("BGET\r\n"), "BTEL,5678\r");
    EXPECT_EQ(LedgerText(), ledgerBefore);
    EXPECT_EQ(Ask("CADD,1\r\n"), "CTEL,1235\r");
    EXPECT_EQ(LedgerText().size(), 3u);
}

TEST_F(Service, ALineNotEndedInTimeIsRefusedAndEndsItsConnection) {
    RawClient slow(port());
    ASSERT_TRUE(slow.Send("CAD"));
    EXPECT_EQ(slow.Receive(LineTimeLimitMs + 3000), Refusal);
    EXPECT_EQ(slow.Receive(), "");
    EXPECT_EQ(Ask("CGET\r\n"), "CTEL,0\r");
}

TEST_F(Service, ManyLinesAtOnceAreAllAnsweredInOrderWithoutHoldingOthersUp) {
    RawClient burst(port());
    std::string lines;
    for (int i = 0; i < 100; ++i) lines += i % 2 ? "CGET\r\n" : "XXXX\r\n";
    ASSERT_TRUE(burst.Send(lines));
    EXPECT_EQ(Ask("BGET\r\n"), "BTEL,0\r");
    std::string replies;
    while (replies.size() < 50 * (Refusal.size() + 7)) {
        std::string more = burst.Receive();
        if (more.empty() || more[0] == '<') break;
        replies += more;
    }
    std::string expected;
    for (int i = 0; i < 100; ++i) expected += i % 2 ? "CTEL,0\r" : Refusal;
    EXPECT_EQ(replies, expected);
}
}  // namespace
