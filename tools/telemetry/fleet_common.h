// What the cabinet's telemetry agent and the fleet's collector share: topic names, the options
// both read from a file or the command line, and the broker connection with its credentials.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "platform/localtime.h"  // UtcNow, the time stamp of every message

struct mosquitto;

// Topics. A cabinet publishes under brindlemark/fleet/<cabinet>/<kind> (kinds: status, heartbeat,
// game, ledger, meters, fault); the collector confirms what it has stored on
// brindlemark/ack/<cabinet> and says whether it runs on brindlemark/collector/status.
std::string FleetTopic(const std::string& cabinet, const std::string& kind);
std::string AckTopic(const std::string& cabinet);
constexpr const char* FleetSubscription = "brindlemark/fleet/+/+";
constexpr const char* CollectorStatusTopic = "brindlemark/collector/status";
// Splits a fleet topic; false when it is not one.
bool ParseFleetTopic(const std::string& topic, std::string* cabinet, std::string* kind);
// A cabinet id: 1 to 64 letters, digits, '-' or '_' (it is a topic level and a broker user name).
bool ValidCabinetId(const std::string& id);

// Options as "--name value" on the command line, or "name = value" lines in the file named by
// --config (the command line wins). Flags take no value and read as "1".
struct Options {
    std::map<std::string, std::string> values;
    std::string Get(const std::string& name, const std::string& fallback = "") const;
    bool Has(const std::string& name) const { return values.count(name) != 0; }
};
// false with a message on an unknown option, a missing value or an unreadable file.
bool ReadOptions(int argc, char** argv, int first, const std::set<std::string>& names,
                 const std::set<std::string>& flags, Options* options, std::string* error);
// A whole number within [low, high]; false when the text is not one.
bool ParseWhole(const std::string& text, int64_t low, int64_t high, int64_t* value);

// Where the broker is and how to prove who we are. TLS (with a client certificate) is required
// for a broker that is not on this machine unless "no-tls" is given.
struct BrokerSettings {
    std::string host = "127.0.0.1";
    int port = 1883;
    bool tls = false;
    std::string caFile, certFile, keyFile;  // TLS: the fleet's CA, our certificate and key
    std::string user, password;             // password sign-in (password read from a file)
    int keepAlive = 10;
};
// Reads broker, cafile, cert, key, user, password-file and no-tls; false with a message.
bool ReadBrokerSettings(const Options& options, BrokerSettings* broker, std::string* error);
bool IsLoopbackHost(const std::string& host);
// Applies credentials and TLS to a client before it connects; false with a message.
bool ConfigureClient(mosquitto* client, const BrokerSettings& broker, std::string* error);
// A line to standard error, stamped with the UTC time.
void FleetLog(const std::string& text);
