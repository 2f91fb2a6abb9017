// The credit service under a flood: 50 connections send 10,000 hostile requests in all (over-long
// lines, junk bytes, half lines, slow writers), each connection one every 50 ms or so, while a
// well-behaved client asks for the credit every few milliseconds throughout. One iteration is the
// whole flood; its counters give the client's answer times and the service's memory. Target: every
// answer within 50 ms. The reference beside it is the same client for 10 s with no flood: on a
// busy machine, what the scheduler alone costs the client.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/net.h"
#include "platform/process.h"
#include "support/credit_service.h"
#include "support/hostile_requests.h"
#include "support/scratch.h"

namespace {
constexpr int Connections = 50;
constexpr int PerConnection = 200;  // 10,000 in all
constexpr double TargetMs = 50.0;

struct Setup {
    std::unique_ptr<ScratchFolder> folder;
    std::unique_ptr<ServiceProcess> service;
    uint16_t port = 0;
};
Setup gSetup;

// Kilobytes of a /proc status field of the service ("VmRSS", "VmHWM"), or -1.
long ServiceKb(const std::string& field) {
    std::string status = ReadText("/proc/" + std::to_string(gSetup.service->process()) + "/status");
    size_t at = status.find(field + ":");
    return at == std::string::npos ? -1 : std::stol(status.substr(at + field.size() + 1));
}

SocketHandle Connect() {
    SocketHandle s = OpenTcpSocket();
    if (s != InvalidSocket && !ConnectSocket(s, "127.0.0.1", gSetup.port)) {
        CloseSocket(s);
        return InvalidSocket;
    }
    return s;
}

// Reads up to the reply's carriage return; false when none came within 2 s or the connection
// ended first.
bool ReadReply(SocketHandle s, std::string& reply) {
    reply.clear();
    char buffer[64];
    while (reply.find('\r') == std::string::npos) {
        long n = ReceiveOnSocket(s, buffer, sizeof buffer, 2000);
        if (n <= 0) return false;
        reply.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

// One hostile connection: its 200 requests drawn from its own seed, a pause of up to 100 ms
// before each; every fifth connection writes a few bytes at a time with pauses. A connection the
// service ends (an over-long line) is made again.
void Flood(int index, std::atomic<long>& sent, std::atomic<long>& wrong,
           std::atomic<int>& running) {
    std::mt19937 random(static_cast<unsigned>(1000 + index));
    const bool slow = index % 5 == 0;
    SocketHandle s = Connect();
    std::string reply;
    for (int i = 0; i < PerConnection && s != InvalidSocket; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 100));
        Hostile h = MakeHostile(random);
        bool ok = true;
        for (size_t at = 0; ok && at < h.bytes.size();) {
            size_t piece = slow && !h.closes ? 1 + random() % 8 : h.bytes.size();
            ok = SendOnSocket(s, h.bytes.data() + at, std::min(piece, h.bytes.size() - at)) > 0;
            at += piece;
            if (at < h.bytes.size())
                std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        }
        if (ok && ReadReply(s, reply) && reply.rfind("FAIL,0\r", 0) == 0) {
            sent.fetch_add(1);
        } else {
            wrong.fetch_add(1);
        }
        if (h.closes || !ok) {
            CloseSocket(s);
            s = Connect();
        }
    }
    if (s != InvalidSocket) CloseSocket(s);
    running.fetch_sub(1);
}

void BM_CreditGetDuringFlood(benchmark::State& state) {
    SocketHandle client = Connect();
    if (client == InvalidSocket) {
        state.SkipWithError("cannot connect");
        return;
    }
    long rssBefore = ServiceKb("VmRSS");
    std::vector<double> ms;
    long hostile = 0, unrefused = 0;
    for (auto _ : state) {
        std::atomic<long> sent{0}, wrong{0};
        const int connections = static_cast<int>(state.range(0));
        std::atomic<int> running{connections};
        std::vector<std::thread> flooders;
        for (int i = 0; i < connections; ++i)
            flooders.emplace_back(Flood, i, std::ref(sent), std::ref(wrong), std::ref(running));
        std::string reply;
        const auto quietUntil = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (connections > 0 ? running > 0 : std::chrono::steady_clock::now() < quietUntil) {
            auto asked = std::chrono::steady_clock::now();
            bool ok = SendOnSocket(client, "CGET\r\n", 6) == 6 && ReadReply(client, reply) &&
                      reply.rfind("CTEL,", 0) == 0;
            ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked)
                    .count());
            if (!ok) {
                state.SkipWithError("the well-behaved client got no answer");
                break;
            }
            // Every few milliseconds, as a menu polls.
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
        for (std::thread& t : flooders) t.join();
        hostile += sent;
        unrefused += wrong;
    }
    CloseSocket(client);

    std::sort(ms.begin(), ms.end());
    if (ms.empty()) return;
    const long peak = ServiceKb("VmHWM");
    state.counters["answers"] = static_cast<double>(ms.size());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p99_ms"] = ms[ms.size() * 99 / 100];
    state.counters["worst_ms"] = ms.back();
    state.counters["hostile"] = static_cast<double>(hostile);
    state.counters["unrefused"] = static_cast<double>(unrefused);
    state.counters["rss_before_kB"] = static_cast<double>(rssBefore);
    state.counters["rss_peak_kB"] = static_cast<double>(peak);
    std::printf(
        "%s: %ld hostile requests (%ld not refused), %zu answers to the well-behaved "
        "client, median %.2f ms, 99th %.2f ms, worst %.2f ms (target %.0f ms: %s); "
        "service memory %ld kB before, peak %ld kB\n",
        state.range(0) > 0 ? "flood" : "no flood", hostile, unrefused, ms.size(), ms[ms.size() / 2],
        ms[ms.size() * 99 / 100], ms.back(), TargetMs, ms.back() <= TargetMs ? "met" : "NOT met",
        rssBefore, peak);
}
// Each repetition is one flood of 50 connections (some 15 s), or 10 s without one.
BENCHMARK(BM_CreditGetDuringFlood)
    ->ArgName("connections")
    ->Arg(0)
    ->Arg(Connections)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
}  // namespace

int main(int argc, char** argv) {
    gSetup.folder = std::make_unique<ScratchFolder>("flood-bench");
    gSetup.service = std::make_unique<ServiceProcess>(gSetup.folder->File("credit.db"),
                                                      gSetup.folder->File("service.log"));
    gSetup.port = gSetup.service->port();
    if (!gSetup.service->started()) {
        std::fprintf(stderr, "the credit service did not start\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gSetup.service.reset();
    gSetup.folder.reset();
    return 0;
}
