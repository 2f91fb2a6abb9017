#include "ingest.h"

#include <mosquitto.h>

#include <chrono>
#include <csignal>
#include <map>
#include <nlohmann/json.hpp>
#include <thread>

using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {
volatile std::sig_atomic_t gStop = 0;
void OnStopSignal(int) {
    gStop = 1;
}

struct Ingest {
    const IngestSettings* settings = nullptr;
    std::vector<Incoming> messages;
    std::vector<StatusChange> statuses;
    std::vector<Rejected> rejected;
    std::map<std::string, std::vector<int64_t>> toConfirm;  // cabinet -> seqs
    Clock::time_point firstWaiting;
    bool connected = false;
    uint64_t stored = 0;

    size_t Waiting() const { return messages.size() + statuses.size() + rejected.size(); }

    void Reject(const std::string& topic, const mosquitto_message* m, const std::string& reason) {
        std::string payload;
        const char* p = static_cast<const char*>(m->payload);
        for (int i = 0; i < m->payloadlen && i < 4096; ++i)
            payload += (p[i] >= 0x20 && p[i] < 0x7f) ? p[i] : '?';
        FleetLog("rejected a message on " + topic + ": " + reason);
        rejected.push_back({topic, payload, reason});
    }
};

void OnConnect(mosquitto* client, void* self, int rc) {
    Ingest& in = *static_cast<Ingest*>(self);
    if (rc != 0) {
        FleetLog(std::string("the broker refused the connection: ") + mosquitto_connack_string(rc));
        return;
    }
    in.connected = true;
    FleetLog("connected to the broker; taking " + std::string(FleetSubscription));
    mosquitto_subscribe(client, nullptr, FleetSubscription, 1);
    std::string online = json{{"state", "online"}, {"time", UtcNow()}}.dump();
    mosquitto_publish(client, nullptr, CollectorStatusTopic, static_cast<int>(online.size()),
                      online.data(), 1, true);
}

void OnDisconnect(mosquitto*, void* self, int) {
    static_cast<Ingest*>(self)->connected = false;
}

void OnMessage(mosquitto*, void* self, const mosquitto_message* m) {
    Ingest& in = *static_cast<Ingest*>(self);
    if (in.Waiting() == 0) in.firstWaiting = Clock::now();
    std::string topic = m->topic, cabinet, kind;
    if (!ParseFleetTopic(topic, &cabinet, &kind)) return in.Reject(topic, m, "not a fleet topic");
    const char* p = static_cast<const char*>(m->payload);
    json e = json::parse(p, p + m->payloadlen, nullptr, false);
    if (e.is_discarded() || !e.is_object()) return in.Reject(topic, m, "not a JSON object");
    // The broker lets a cabinet publish only under its own id: the topic says who sent it.
    if (!e.contains("cabinet") || e["cabinet"] != cabinet)
        return in.Reject(topic, m, "the cabinet named differs from the topic's");
    if (!e.contains("kind") || e["kind"] != kind)
        return in.Reject(topic, m, "the kind differs from the topic's");
    if (kind == "status") {
        std::string state =
            e.contains("body") && e["body"].is_object() ? e["body"].value("state", "") : "";
        if (state != "online" && state != "offline")
            return in.Reject(topic, m, "a status is online or offline");
        in.statuses.push_back({cabinet, state});
        return;
    }
    Incoming msg;
    msg.cabinet = cabinet;
    msg.kind = kind;
    if (!e.contains("seq") || !e["seq"].is_number_integer() || e["seq"].get<int64_t>() <= 0)
        return in.Reject(topic, m, "no sequence number");
    msg.seq = e["seq"].get<int64_t>();
    if (kind != "heartbeat" && kind != "game" && kind != "ledger" && kind != "meters" &&
        kind != "fault") {
        in.toConfirm[cabinet].push_back(msg.seq);
        return in.Reject(topic, m, "unknown kind");
    }
    if (!e.contains("time") || !e["time"].is_string() ||
        !IsEnvelopeTime(e["time"].get<std::string>())) {
        in.toConfirm[cabinet].push_back(msg.seq);
        return in.Reject(topic, m, "no UTC time");
    }
    msg.sentAt = e["time"].get<std::string>();
    if (!e.contains("body") || !e["body"].is_object()) {
        in.toConfirm[cabinet].push_back(msg.seq);
        return in.Reject(topic, m, "no body object");
    }
    msg.body = e["body"].dump(-1, ' ', false, json::error_handler_t::replace);
    if (msg.body.find("\\u0000") != std::string::npos) {
        in.toConfirm[cabinet].push_back(msg.seq);
        return in.Reject(topic, m, "a NUL character in the body");
    }
    in.toConfirm[cabinet].push_back(msg.seq);
    in.messages.push_back(std::move(msg));
}

// A batch the database refused while it is up: each message alone, and the ones it still refuses
// are kept as rejected, so that one bad message cannot hold up the fleet. False when even that
// fails.
bool StoreOneByOne(FleetDb& db, Ingest& in) {
    std::string error;
    for (const Incoming& m : in.messages)
        if (!db.Store({m}, {}, {}, &error)) {
            FleetLog("rejected message " + std::to_string(m.seq) + " of " + m.cabinet + ": " +
                     error);
            in.rejected.push_back({FleetTopic(m.cabinet, m.kind), m.body.substr(0, 4096), error});
        }
    return db.Store({}, in.statuses, in.rejected, &error);
}

// Sorted sequence numbers as [from, to] ranges.
json Ranges(std::vector<int64_t>& seqs) {
    std::sort(seqs.begin(), seqs.end());
    json ranges = json::array();
    for (size_t i = 0; i < seqs.size();) {
        size_t j = i;
        while (j + 1 < seqs.size() && seqs[j + 1] <= seqs[j] + 1) ++j;
        ranges.push_back({seqs[i], seqs[j]});
        i = j + 1;
    }
    return ranges;
}
}  // namespace

int RunIngest(FleetDb& db, const std::string& dbUrl, const IngestSettings& settings) {
    std::signal(SIGTERM, OnStopSignal);
    std::signal(SIGINT, OnStopSignal);
    mosquitto_lib_init();
    Ingest in;
    in.settings = &settings;
    // A lasting session: the broker keeps the fleet's messages while the collector is away.
    mosquitto* client = mosquitto_new(settings.clientId.c_str(), false, &in);
    std::string error;
    if (!client || !ConfigureClient(client, settings.broker, &error)) {
        FleetLog("brindlemark-collector: " + error);
        return 1;
    }
    mosquitto_connect_callback_set(client, OnConnect);
    mosquitto_disconnect_callback_set(client, OnDisconnect);
    mosquitto_message_callback_set(client, OnMessage);
    std::string offline = json{{"state", "offline"}}.dump();
    mosquitto_will_set(client, CollectorStatusTopic, static_cast<int>(offline.size()),
                       offline.data(), 1, true);
    bool socketOpen = false;
    auto nextConnect = Clock::now();
    std::string lastProblem;
    while (!gStop) {
        auto now = Clock::now();
        if (!socketOpen && now >= nextConnect) {
            int rc = mosquitto_connect(client, settings.broker.host.c_str(), settings.broker.port,
                                       settings.broker.keepAlive);
            socketOpen = rc == MOSQ_ERR_SUCCESS;
            if (!socketOpen) {
                std::string problem =
                    "cannot reach the broker: " + std::string(mosquitto_strerror(rc));
                if (problem != lastProblem) FleetLog(problem);
                lastProblem = problem;
                nextConnect = now + std::chrono::seconds(1);
            }
        }
        if (socketOpen) {
            // Take everything the socket holds before storing, so batches fill under load.
            int rc = mosquitto_loop(client, in.Waiting() ? 1 : 50, 1);
            for (int i = 0; rc == MOSQ_ERR_SUCCESS && i < 64 && in.Waiting() < settings.batch; ++i)
                rc = mosquitto_loop(client, 0, 1);
            if (rc != MOSQ_ERR_SUCCESS) {
                if (in.connected)
                    FleetLog("lost the broker; the broker keeps what comes meanwhile");
                in.connected = false;
                mosquitto_disconnect(client);
                socketOpen = false;
                nextConnect = now + std::chrono::seconds(1);
            }
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        bool due = in.Waiting() >= settings.batch ||
                   (in.Waiting() > 0 &&
                    Clock::now() - in.firstWaiting >= std::chrono::milliseconds(settings.batchMs));
        if (!due) continue;
        if (!db.Connected() && !db.Connect(dbUrl, &error)) {
            FleetLog(error);
            std::this_thread::sleep_for(std::chrono::seconds(1));
            continue;
        }
        if (!db.Store(in.messages, in.statuses, in.rejected, &error)) {
            FleetLog("storing a batch failed: " + error);
            if (!db.Connected() || !StoreOneByOne(db, in)) {
                // Kept in memory and tried again; should the collector end meanwhile, the
                // cabinets send again what it had not confirmed.
                std::this_thread::sleep_for(std::chrono::seconds(1));
                continue;
            }
        }
        in.stored += in.messages.size();
        for (auto& [cabinet, seqs] : in.toConfirm) {
            std::string ack = json{{"ranges", Ranges(seqs)}}.dump();
            mosquitto_publish(client, nullptr, AckTopic(cabinet).c_str(),
                              static_cast<int>(ack.size()), ack.data(), 1, false);
        }
        in.messages.clear();
        in.statuses.clear();
        in.rejected.clear();
        in.toConfirm.clear();
    }
    if (socketOpen) {
        mosquitto_publish(client, nullptr, CollectorStatusTopic, static_cast<int>(offline.size()),
                          offline.data(), 1, true);
        for (int i = 0; i < 20 && mosquitto_want_write(client); ++i) mosquitto_loop(client, 50, 1);
        mosquitto_disconnect(client);
    }
    mosquitto_destroy(client);
    mosquitto_lib_cleanup();
    FleetLog("stopped after storing " + std::to_string(in.stored) + " messages");
    return 0;
}
