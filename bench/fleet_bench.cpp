// The fleet at scale: a day of traffic from many cabinets (about 1,000 games each: per game its
// recall, a meter snapshot and its ledger entries, and a heartbeat a minute) published in the
// telemetry agent's own message format by one client per cabinet, through one Mosquitto broker
// into one brindlemark-collector and a private PostgreSQL cluster, all on this machine.
// Reported: ingest rate (messages a second, from the first message sent to the last stored),
// end-to-end lag (sent to stored) under that flood and for a steady trickle afterwards, the
// collector's processor time and peak memory, and the minutes a 1,000-cabinet day would take.
// The goal: a 1,000-cabinet day in under 10 minutes on two cores.
#include <benchmark/benchmark.h>
#include <mosquitto.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "fleet_common.h"
#include "fleet_db.h"
#include "outbox.h"
#include "support/fleet_services.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {
constexpr int GamesADay = 1000;
constexpr int HeartbeatsADay = 1440;
constexpr int Window = 200;             // messages a cabinet's client has in flight
constexpr int64_t MostWaiting = 50000;  // sent but not yet stored

struct CabinetClient {
    std::string id;
    mosquitto* client = nullptr;
    std::atomic<int> outstanding{0};
    std::atomic<bool> connected{false};
    int64_t seq = 0;
    int game = 0, heartbeat = 0;
    std::vector<std::pair<std::string, std::string>> pending;  // kind, body
};

void OnConnect(mosquitto*, void* self, int rc) {
    static_cast<CabinetClient*>(self)->connected = rc == 0;
}
void OnPublish(mosquitto*, void* self, int) {
    --static_cast<CabinetClient*>(self)->outstanding;
}

// A game's recall as the cabinet writes it: 14 questions and a final stage.
std::string GameBody(int number, std::mt19937& random) {
    std::ostringstream b;
    int prize = random() % 10 < 2 ? 100 * (1 + random() % 3) : 0;
    b << "{\"format\":1,\"seq\":" << number << ",\"start\":\"2026-12-09T10:00:00\",\"end\":"
      << "\"2026-12-09T10:04:00\",\"stake\":50,\"band\":3,\"win_plan\":{\"band\":3,\"first\":1,"
      << "\"grades\":[1,2,3,2,1,2,3,2]},\"questions\":[";
    for (int q = 0; q < 16; ++q)
        b << (q ? "," : "") << "{\"stage\":\"rounds\",\"pack\":\"Data" << 10 + q
          << ".pck\",\"line\":" << random() % 400
          << ",\"statement\":\"The river that runs through the capital is longer than 300 "
             "kilometres.\",\"answer\":true,\"touch\":\"true\",\"second_try\":false,"
             "\"joker\":false,\"seconds\":4.2}";
    b << "],\"right_answers\":12,\"passes_used\":1,\"jokers_used\":0,\"big_teams\":[100,200,300],"
      << "\"big_teams_beaten\":" << prize / 100 << ",\"prize\":" << prize << ",\"payment\":\""
      << (prize ? "paid" : "none") << "\",\"resumed\":0}";
    return b.str();
}

// The next part of a cabinet's day: a game with its meters and ledger, or a heartbeat.
void NextTraffic(CabinetClient& c, std::mt19937& random) {
    bool heartbeatDue = c.heartbeat * GamesADay < c.game * HeartbeatsADay;
    if (c.game >= GamesADay || heartbeatDue) {
        ++c.heartbeat;
        c.pending.push_back({"heartbeat",
                             "{\"uptime\":86400,\"agent_uptime\":86000,\"free_disk\":"
                             "1000000000,\"outbox\":0,\"versions\":{\"telemetry\":"
                             "\"1.0.0.1\",\"cabinet\":\"1.0.0.1\"}}"});
        return;
    }
    ++c.game;
    auto ledger = [&](const char* request, int amount) {
        c.pending.push_back({"ledger", "{\"id\":" + std::to_string(c.seq + c.pending.size() + 1) +
                                           ",\"time\":\"2026-12-09T10:00:00.000Z\",\"client\":"
                                           "\"127.0.0.1:40000\",\"request\":\"" +
                                           request + "\",\"amount\":" + std::to_string(amount) +
                                           ",\"credit\":50,\"bank\":0}"});
    };
    if (c.game % 2) ledger("CADD", 100);
    ledger("CUSE", 50);
    std::string game = GameBody(c.game, random);
    if (game.find("\"prize\":0,") == std::string::npos) ledger("BADD", 100);
    c.pending.push_back({"game", game});
    std::string counters = "[";
    for (int i = 0; i < 42; ++i) counters += (i ? "," : "") + std::to_string(c.game * (i + 1));
    c.pending.push_back({"meters", "{\"after_game\":" + std::to_string(c.game) +
                                       ",\"record\":true,\"balance\":[-250.0,0.0],\"band\":3,"
                                       "\"counters\":" +
                                       counters + "]}"});
}

struct ProcessFigures {
    double cpuSeconds = 0;
    double peakMegabytes = 0;
};

// Processor time (user and system, with waited-for children) of a process and of its
// children still running (the database's backends), and its peak memory.
ProcessFigures Figures(ProcessId pid) {
    ProcessFigures f;
    double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    auto cpu = [&](const fs::path& statFile, long* parent) {
        std::ifstream stat(statFile);
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        if (text.rfind(')') == std::string::npos) return 0.0;
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        long ticks = 0;
        for (int i = 3; i <= 17 && fields >> field; ++i) {
            if (i == 4 && parent) *parent = std::stol(field);
            if (i >= 14) ticks += std::stol(field);
        }
        return static_cast<double>(ticks) / tick;
    };
    f.cpuSeconds = cpu("/proc/" + std::to_string(pid) + "/stat", nullptr);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        long parent = -1;
        std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        double c = cpu(entry.path() / "stat", &parent);
        if (parent == pid) f.cpuSeconds += c;
    }
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) f.peakMegabytes = std::stod(line.substr(6)) / 1024;
    return f;
}

std::vector<double> Lags(const fleet::Postgres& db, const std::string& where) {
    std::vector<double> lags;
    std::istringstream numbers(db.Value(
        "SELECT array_to_string(percentile_cont(ARRAY[0.5, 0.99, 1.0]) WITHIN GROUP (ORDER BY "
        "1000 * extract(epoch FROM received_at - sent_at)), ' ') FROM messages " +
        where));
    for (double v; numbers >> v;) lags.push_back(v);
    return lags;
}

void BM_FleetDay(benchmark::State& state) {
    const int cabinets = static_cast<int>(state.range(0));
    for (auto _ : state) {
        ScratchFolder folder("fleet-bench");
        const fs::path& scratch = folder.path();
        {
            fleet::Postgres db(scratch / "pg");
            fleet::Broker broker(scratch / "broker", FLEET_SETUP);
            if (!db.running() || !broker.running()) {
                state.SkipWithError("postgres or mosquitto did not start");
                return;
            }
            std::vector<std::unique_ptr<CabinetClient>> fleet;
            mosquitto_lib_init();
            for (int i = 0; i < cabinets; ++i) {
                auto c = std::make_unique<CabinetClient>();
                c->id = "cab-" + std::to_string(i);
                CaptureCommand(std::string(FLEET_SETUP) + " cabinet '" + broker.folder().string() +
                               "' " + c->id);
                fleet.push_back(std::move(c));
            }
            fleet::GiveToUnprivileged(broker.folder());
            broker.Stop();
            broker.Start();
            ProcessId collector =
                StartProcess({COLLECTOR_TOOL, "run", "--db", db.url(), "--broker", broker.address(),
                              "--user", "brindlemark-collector", "--password-file",
                              broker.Client("brindlemark-collector", "password").string()},
                             "", (scratch / "collector.log").string());
            fleet::WaitFor(20, [&] { return db.Value("SELECT count(*) FROM cabinets") == "0"; });
            for (auto& c : fleet) {
                c->client = mosquitto_new(("bench-" + c->id).c_str(), true, c.get());
                std::string password;
                std::ifstream(broker.Client(c->id, "password")) >> password;
                mosquitto_username_pw_set(c->client, c->id.c_str(), password.c_str());
                mosquitto_connect_callback_set(c->client, OnConnect);
                mosquitto_publish_callback_set(c->client, OnPublish);
                mosquitto_max_inflight_messages_set(c->client, Window);
                mosquitto_connect(c->client, "127.0.0.1", broker.port(), 30);
                mosquitto_loop_start(c->client);
            }
            fleet::WaitFor(30, [&] {
                for (auto& c : fleet)
                    if (!c->connected) return false;
                return true;
            });
            // Counted through one connection of our own: a psql a poll would cost the machine more.
            FleetDb counter;
            std::string error;
            counter.Connect(db.url(), &error);
            auto count = [&](const char* sql) {
                std::vector<std::vector<std::string>> rows;
                return counter.Query(sql, {}, &rows, &error) && !rows.empty() && !rows[0][0].empty()
                           ? std::stoll(rows[0][0])
                           : -1;
            };
            // Cheap to ask ten times a second: each cabinet's highest number stored.
            auto stored = [&] { return count("SELECT sum(last_seq) FROM cabinets"); };
            // Exact, and dearer: every message stored.
            auto exact = [&] { return count("SELECT count(*) FROM messages"); };
            ProcessFigures before = Figures(collector), brokerBefore = Figures(broker.pid()),
                           dbBefore = Figures(db.pid()), selfBefore = Figures(getpid());
            std::mt19937 random(7);
            auto start = std::chrono::steady_clock::now();
            int64_t sent = 0;
            auto lastLook = start;
            for (bool more = true; more;) {
                // The fleet's traffic arrives spread over a day, not all at once: the stored count
                // is looked at every tenth of a second and publishing waits while more than
                // MostWaiting messages are on their way, so that the broker's queue stays as short
                // as in service and the rate measured is the ingest rate.
                if (std::chrono::steady_clock::now() - lastLook > std::chrono::milliseconds(100)) {
                    lastLook = std::chrono::steady_clock::now();
                    while (sent - stored() > MostWaiting)
                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
                more = false;
                bool published = false;
                for (auto& c : fleet) {
                    while (c->outstanding < Window) {
                        if (c->pending.empty()) {
                            if (c->game >= GamesADay && c->heartbeat >= HeartbeatsADay) break;
                            NextTraffic(*c, random);
                        }
                        auto [kind, body] = c->pending.front();
                        c->pending.erase(c->pending.begin());
                        std::string payload = Envelope(c->id, ++c->seq, kind, UtcNow(), body);
                        ++c->outstanding;
                        mosquitto_publish(
                            c->client, nullptr, ("brindlemark/fleet/" + c->id + "/" + kind).c_str(),
                            static_cast<int>(payload.size()), payload.data(), 1, false);
                        ++sent;
                        published = true;
                    }
                    if (!c->pending.empty() || c->game < GamesADay || c->heartbeat < HeartbeatsADay)
                        more = true;
                }
                if (!published) std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
            fleet::WaitFor(3600, [&] { return stored() >= sent && exact() == sent; });
            double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            ProcessFigures after = Figures(collector), brokerAfter = Figures(broker.pid()),
                           dbAfter = Figures(db.pid()), selfAfter = Figures(getpid());
            std::vector<double> flood = Lags(db, "");
            // A steady trickle afterwards: one message a cabinet every half second or so.
            std::string mark = db.Value("SELECT now()");
            for (int round = 0; round < 10; ++round) {
                for (auto& c : fleet) {
                    std::string payload =
                        Envelope(c->id, ++c->seq, "heartbeat", UtcNow(), "{\"uptime\":1}");
                    ++c->outstanding;
                    mosquitto_publish(c->client, nullptr,
                                      ("brindlemark/fleet/" + c->id + "/heartbeat").c_str(),
                                      static_cast<int>(payload.size()), payload.data(), 1, false);
                    std::this_thread::sleep_for(std::chrono::microseconds(500000 / cabinets));
                }
            }
            fleet::WaitFor(60, [&] { return exact() == sent + 10 * cabinets; });
            std::vector<double> trickle = Lags(db, "WHERE received_at > '" + mark + "'");
            for (auto& c : fleet) {
                mosquitto_disconnect(c->client);
                mosquitto_loop_stop(c->client, false);
                mosquitto_destroy(c->client);
            }
            mosquitto_lib_cleanup();
            StopProcess(collector);
            WaitProcess(collector);

            double rate = static_cast<double>(sent) / seconds;
            state.counters["cabinets"] = cabinets;
            state.counters["messages"] = static_cast<double>(sent);
            state.counters["seconds"] = seconds;
            state.counters["msgs_per_s"] = rate;
            state.counters["collector_cpu_s"] = after.cpuSeconds - before.cpuSeconds;
            state.counters["collector_cpu_share"] =
                (after.cpuSeconds - before.cpuSeconds) / seconds;
            state.counters["collector_peak_MB"] = after.peakMegabytes;
            if (flood.size() == 3) {
                state.counters["flood_lag_p50_ms"] = flood[0];
                state.counters["flood_lag_p99_ms"] = flood[1];
            }
            if (trickle.size() == 3) {
                state.counters["steady_lag_p50_ms"] = trickle[0];
                state.counters["steady_lag_p99_ms"] = trickle[1];
                state.counters["steady_lag_max_ms"] = trickle[2];
            }
            double brokerCpu = brokerAfter.cpuSeconds - brokerBefore.cpuSeconds;
            double dbCpu = dbAfter.cpuSeconds - dbBefore.cpuSeconds;
            double pipelineCpu = after.cpuSeconds - before.cpuSeconds + brokerCpu + dbCpu;
            state.counters["broker_cpu_s"] = brokerCpu;
            state.counters["broker_peak_MB"] = brokerAfter.peakMegabytes;
            state.counters["postgres_cpu_s"] = dbCpu;
            state.counters["generator_cpu_s"] = selfAfter.cpuSeconds - selfBefore.cpuSeconds;
            state.counters["pipeline_cpu_us_per_msg"] =
                1e6 * pipelineCpu / static_cast<double>(sent);
            // The machine is shared: what broker, collector and database would need of two
            // whole cores for a 1,000-cabinet day, from the processor time they took here.
            state.counters["day_1000_cabinets_min_2_cores"] =
                pipelineCpu * 1000.0 / cabinets / 2.0 / 60.0;
            // A 1,000-cabinet day at the rate seen on this (shared) machine.
            state.counters["day_1000_cabinets_min"] =
                static_cast<double>(sent) * 1000.0 / cabinets / rate / 60.0;
            state.SetIterationTime(seconds);
        }
    }
}
}  // namespace

// Cabinets as the argument: 200 is the figure asked for; 20 for a quick look.
BENCHMARK(BM_FleetDay)->Arg(20)->Arg(200)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_MAIN();
