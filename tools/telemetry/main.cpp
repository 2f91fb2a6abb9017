// brindlemark-telemetry: on a cabinet of a fleet, forwards its games, meters, ledger, faults and
// heartbeats to the fleet's MQTT broker through a local outbox. Off unless configured.
#include <mosquitto.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "cabinet_sources.h"
#include "fleet_common.h"
#include "outbox.h"

using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {
volatile std::sig_atomic_t gStop = 0;
void OnStopSignal(int) {
    gStop = 1;
}

// Messages handed to the broker connection at once, waiting for its PUBACK.
constexpr size_t InFlight = 200;

int Usage(const std::string& error) {
    if (!error.empty()) std::fprintf(stderr, "brindlemark-telemetry: %s\n", error.c_str());
    std::fprintf(
        stderr,
        "usage: brindlemark-telemetry [--config FILE] --cabinet ID --folder DIR [options]\n"
        "  --cabinet ID         this cabinet's id in the fleet (its broker user name)\n"
        "  --folder DIR         the cabinet's working folder (recall, audit record, log)\n"
        "  --credit-db FILE     the credit service's database, read-only (its ledger)\n"
        "  --outbox FILE        the outbox (default: telemetry-outbox.db in the folder)\n"
        "  --outbox-limit N     most messages kept while the broker is away (default 200000)\n"
        "  --broker HOST[:PORT] the fleet's broker (default 127.0.0.1:1883; 8883 with TLS)\n"
        "  --cafile FILE        the fleet's certificate authority: TLS to the broker\n"
        "  --cert FILE --key FILE  this cabinet's certificate and key\n"
        "  --password-file FILE the cabinet's broker password (user: the cabinet id)\n"
        "  --no-tls             allow a broker on another machine without TLS\n"
        "  --heartbeat SECONDS  between heartbeats (default 60)\n"
        "  --resend SECONDS     send again what the collector has not confirmed (default 300)\n"
        "With no --config and no --cabinet, telemetry is not configured and the agent ends.\n");
    return 2;
}

struct Agent {
    std::string cabinet;
    BrokerSettings broker;
    Outbox outbox;
    mosquitto* client = nullptr;
    bool connected = false;
    bool collectorOnline = false;
    bool resendAll = false;
    std::map<int, int64_t> inFlight;  // message id -> seq
    std::set<int64_t> handed;
    std::vector<int64_t> taken;  // PUBACKed, to be marked
    std::vector<std::pair<int64_t, int64_t>> confirmed;
    std::map<std::string, Clock::time_point> logged;

    // Logs a problem, but the same one at most once a minute.
    void Problem(const std::string& text) {
        auto now = Clock::now();
        auto it = logged.find(text);
        if (it != logged.end() && now - it->second < std::chrono::minutes(1)) return;
        if (logged.size() > 100) logged.clear();
        logged[text] = now;
        FleetLog(text);
    }

    std::string Status(const std::string& state) {
        return Envelope(cabinet, outbox.LastSeq(), "status", UtcNow(),
                        json{{"state", state}}.dump());
    }

    void PublishStatus(const std::string& state) {
        std::string payload = Status(state);
        mosquitto_publish(client, nullptr, FleetTopic(cabinet, "status").c_str(),
                          static_cast<int>(payload.size()), payload.data(), 1, true);
    }

    void SendUnsent() {
        if (!connected || inFlight.size() >= InFlight) return;
        for (const OutMessage& m : outbox.Unsent(InFlight + handed.size())) {
            if (inFlight.size() >= InFlight) break;
            if (handed.count(m.seq)) continue;
            int mid = 0;
            int rc =
                mosquitto_publish(client, &mid, FleetTopic(cabinet, m.kind).c_str(),
                                  static_cast<int>(m.payload.size()), m.payload.data(), 1, false);
            if (rc != MOSQ_ERR_SUCCESS) break;
            inFlight[mid] = m.seq;
            handed.insert(m.seq);
        }
    }
};

void OnConnect(mosquitto* client, void* self, int rc) {
    Agent& a = *static_cast<Agent*>(self);
    if (rc != 0) {
        a.Problem(std::string("the broker refused the connection: ") +
                  mosquitto_connack_string(rc));
        return;
    }
    a.connected = true;
    // The collector's status comes again (it is retained) and sends again what the collector
    // has not confirmed: the broker may have lost what it held while it was away.
    a.collectorOnline = false;
    a.inFlight.clear();
    a.handed.clear();
    a.logged.clear();
    FleetLog("connected to the broker " + a.broker.host + ":" + std::to_string(a.broker.port) +
             " as cabinet " + a.cabinet);
    mosquitto_subscribe(client, nullptr, AckTopic(a.cabinet).c_str(), 1);
    mosquitto_subscribe(client, nullptr, CollectorStatusTopic, 1);
    a.PublishStatus("online");
}

void OnDisconnect(mosquitto*, void* self, int rc) {
    Agent& a = *static_cast<Agent*>(self);
    if (a.connected && rc != 0) FleetLog("lost the broker; messages wait in the outbox");
    a.connected = false;
    a.inFlight.clear();
    a.handed.clear();
}

void OnPublish(mosquitto*, void* self, int mid) {
    Agent& a = *static_cast<Agent*>(self);
    auto it = a.inFlight.find(mid);
    if (it == a.inFlight.end()) return;
    a.taken.push_back(it->second);
    a.handed.erase(it->second);
    a.inFlight.erase(it);
}

void OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
    Agent& a = *static_cast<Agent*>(self);
    std::string topic = message->topic;
    json body = json::parse(static_cast<const char*>(message->payload),
                            static_cast<const char*>(message->payload) + message->payloadlen,
                            nullptr, false);
    if (body.is_discarded() || !body.is_object()) return;
    if (topic == CollectorStatusTopic) {
        bool online = body.value("state", "") == "online";
        // A collector that has just started may have lost what it took but had not stored.
        if (online && !a.collectorOnline) a.resendAll = true;
        a.collectorOnline = online;
    } else if (topic == AckTopic(a.cabinet) && body.contains("ranges") &&
               body["ranges"].is_array()) {
        for (const json& r : body["ranges"])
            if (r.is_array() && r.size() == 2 && r[0].is_number_integer() &&
                r[1].is_number_integer())
                a.confirmed.emplace_back(r[0].get<int64_t>(), r[1].get<int64_t>());
    }
}
}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ReadOptions(argc, argv, 1,
                     {"cabinet", "folder", "credit-db", "outbox", "outbox-limit", "broker",
                      "cafile", "cert", "key", "password-file", "heartbeat", "resend"},
                     {"no-tls"}, &options, &error))
        return Usage(error);
    if (!options.Has("cabinet") && !options.Has("broker")) {
        std::fprintf(stderr, "brindlemark-telemetry: telemetry is not configured\n");
        return 0;
    }
    Agent agent;
    agent.cabinet = options.Get("cabinet");
    std::string folder = options.Get("folder");
    int64_t limit = 200000, heartbeat = 60, resend = 300;
    if (!ValidCabinetId(agent.cabinet))
        return Usage("the cabinet id must be 1 to 64 letters, digits, '-' or '_'");
    if (folder.empty()) return Usage("--folder is needed");
    if (!ParseWhole(options.Get("outbox-limit", "200000"), 10, 100000000, &limit) ||
        !ParseWhole(options.Get("heartbeat", "60"), 1, 86400, &heartbeat) ||
        !ParseWhole(options.Get("resend", "300"), 1, 86400 * 7, &resend))
        return Usage("outbox-limit, heartbeat and resend take whole numbers");
    if (!ReadBrokerSettings(options, &agent.broker, &error)) return Usage(error);
    if (!options.Has("broker") && agent.broker.tls) agent.broker.port = 8883;
    if (agent.broker.user.empty() && !agent.broker.password.empty())
        agent.broker.user = agent.cabinet;
    std::string outboxPath = options.Get("outbox", folder + "/telemetry-outbox.db");
    if (!agent.outbox.Open(outboxPath, agent.cabinet, limit, &error)) {
        std::fprintf(stderr, "brindlemark-telemetry: %s\n", error.c_str());
        return 1;
    }
    Sources sources(folder, options.Get("credit-db"));

    std::signal(SIGTERM, OnStopSignal);
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGHUP, OnStopSignal);
    mosquitto_lib_init();
    agent.client = mosquitto_new(("brindlemark-cabinet-" + agent.cabinet).c_str(), true, &agent);
    if (!agent.client || !ConfigureClient(agent.client, agent.broker, &error)) {
        std::fprintf(stderr, "brindlemark-telemetry: %s\n", error.c_str());
        return 1;
    }
    mosquitto_connect_callback_set(agent.client, OnConnect);
    mosquitto_disconnect_callback_set(agent.client, OnDisconnect);
    mosquitto_publish_callback_set(agent.client, OnPublish);
    mosquitto_message_callback_set(agent.client, OnMessage);
    mosquitto_max_inflight_messages_set(agent.client, InFlight);
    std::string will = Envelope(agent.cabinet, 0, "status", UtcNow(), "{\"state\":\"offline\"}");
    mosquitto_will_set(agent.client, FleetTopic(agent.cabinet, "status").c_str(),
                       static_cast<int>(will.size()), will.data(), 1, true);
    FleetLog("cabinet " + agent.cabinet + ": " + std::to_string(agent.outbox.Count()) +
             " messages in the outbox " + outboxPath);

    auto started = Clock::now();
    auto nextConnect = Clock::now(), nextPoll = Clock::now(), nextResend = Clock::now();
    auto nextHeartbeat = Clock::now();
    int backoff = 1;
    bool socketOpen = false;
    while (!gStop) {
        auto now = Clock::now();
        if (!socketOpen && now >= nextConnect) {
            int rc = mosquitto_connect(agent.client, agent.broker.host.c_str(), agent.broker.port,
                                       agent.broker.keepAlive);
            if (rc == MOSQ_ERR_SUCCESS) {
                socketOpen = true;
            } else {
                agent.Problem(
                    "cannot reach the broker " + agent.broker.host + ":" +
                    std::to_string(agent.broker.port) + ": " +
                    (rc == MOSQ_ERR_ERRNO ? "connection failed" : mosquitto_strerror(rc)));
                nextConnect = now + std::chrono::seconds(backoff);
                backoff = std::min(backoff * 2, 5);
            }
        }
        if (socketOpen) {
            int rc = mosquitto_loop(agent.client, 50, 1);
            if (rc != MOSQ_ERR_SUCCESS) {
                if (rc == MOSQ_ERR_TLS)
                    agent.Problem("the broker's TLS handshake failed (certificate not trusted)");
                else if (!agent.connected && rc != MOSQ_ERR_CONN_LOST)
                    agent.Problem(std::string("the broker closed the connection: ") +
                                  mosquitto_strerror(rc));
                OnDisconnect(agent.client, &agent, rc);
                mosquitto_disconnect(agent.client);
                socketOpen = false;
                nextConnect = now + std::chrono::seconds(backoff);
                backoff = std::min(backoff * 2, 5);
            } else if (agent.connected) {
                backoff = 1;
            }
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        agent.outbox.MarkSent(agent.taken);
        agent.taken.clear();
        agent.outbox.Confirm(agent.confirmed);
        agent.confirmed.clear();
        if (agent.resendAll) {
            agent.resendAll = false;
            agent.outbox.Resend(0);
        }
        if (now >= nextPoll) {
            nextPoll = now + std::chrono::milliseconds(250);
            sources.PollLedger(agent.outbox) && sources.PollGames(agent.outbox);
            sources.PollLog(agent.outbox);
            if (now >= nextHeartbeat) {
                nextHeartbeat = now + std::chrono::seconds(heartbeat);
                sources.Heartbeat(
                    agent.outbox,
                    std::chrono::duration_cast<std::chrono::seconds>(now - started).count());
            }
            if (std::string note = sources.TakeNote(); !note.empty()) agent.Problem(note);
        }
        if (now >= nextResend) {
            nextResend = now + std::chrono::seconds(10);
            if (agent.connected && agent.collectorOnline) agent.outbox.Resend(resend);
        }
        agent.SendUnsent();
    }
    if (agent.connected) {
        agent.PublishStatus("offline");
        for (int i = 0; i < 20 && mosquitto_want_write(agent.client); ++i)
            mosquitto_loop(agent.client, 50, 1);
        mosquitto_disconnect(agent.client);
        mosquitto_loop(agent.client, 50, 1);
    }
    mosquitto_destroy(agent.client);
    mosquitto_lib_cleanup();
    FleetLog("stopped; " + std::to_string(agent.outbox.Count()) + " messages wait in the outbox");
    return 0;
}
