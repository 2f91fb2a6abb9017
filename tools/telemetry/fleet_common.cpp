#include "fleet_common.h"

#include <mosquitto.h>

#include <cstdio>
#include <fstream>

std::string FleetTopic(const std::string& cabinet, const std::string& kind) {
    return "brindlemark/fleet/" + cabinet + "/" + kind;
}

std::string AckTopic(const std::string& cabinet) {
    return "brindlemark/ack/" + cabinet;
}

bool ParseFleetTopic(const std::string& topic, std::string* cabinet, std::string* kind) {
    const std::string prefix = "brindlemark/fleet/";
    if (topic.compare(0, prefix.size(), prefix) != 0) return false;
    size_t slash = topic.find('/', prefix.size());
    if (slash == std::string::npos || topic.find('/', slash + 1) != std::string::npos) return false;
    *cabinet = topic.substr(prefix.size(), slash - prefix.size());
    *kind = topic.substr(slash + 1);
    return ValidCabinetId(*cabinet) && !kind->empty();
}

bool ValidCabinetId(const std::string& id) {
    if (id.empty() || id.size() > 64) return false;
    for (char c : id)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '-' || c == '_'))
            return false;
    return true;
}

std::string Options::Get(const std::string& name, const std::string& fallback) const {
    auto it = values.find(name);
    return it == values.end() ? fallback : it->second;
}

namespace {
std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool ReadConfigFile(const std::string& path, const std::set<std::string>& names,
                    const std::set<std::string>& flags, Options* options, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        size_t eq = line.find('=');
        std::string name = Trim(line.substr(0, eq));
        std::string value = eq == std::string::npos ? "1" : Trim(line.substr(eq + 1));
        if (!names.count(name) && !flags.count(name)) {
            *error = path + ":" + std::to_string(number) + ": unknown setting \"" + name + "\"";
            return false;
        }
        if (!options->values.count(name)) options->values[name] = value;
    }
    return true;
}
}  // namespace

bool ReadOptions(int argc, char** argv, int first, const std::set<std::string>& names,
                 const std::set<std::string>& flags, Options* options, std::string* error) {
    std::string config;
    for (int i = first; i < argc; ++i) {
        std::string a = argv[i];
        if (a.compare(0, 2, "--") != 0) {
            *error = "unexpected argument \"" + a + "\"";
            return false;
        }
        std::string name = a.substr(2);
        if (flags.count(name)) {
            options->values[name] = "1";
        } else if ((names.count(name) || name == "config") && i + 1 < argc) {
            if (name == "config")
                config = argv[++i];
            else
                options->values[name] = argv[++i];
        } else {
            *error =
                names.count(name) ? "--" + name + " needs a value" : "unknown option \"" + a + "\"";
            return false;
        }
    }
    return config.empty() || ReadConfigFile(config, names, flags, options, error);
}

bool ParseWhole(const std::string& text, int64_t low, int64_t high, int64_t* value) {
    if (text.empty() || text.size() > 18) return false;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < low || v > high) return false;
    *value = v;
    return true;
}

bool IsLoopbackHost(const std::string& host) {
    return host == "localhost" || host == "::1" || host.compare(0, 4, "127.") == 0;
}

bool ReadBrokerSettings(const Options& options, BrokerSettings* broker, std::string* error) {
    std::string address = options.Get("broker", "127.0.0.1");
    size_t colon = address.rfind(':');
    if (colon != std::string::npos && address.find(':') == colon) {
        int64_t port = 0;
        if (!ParseWhole(address.substr(colon + 1), 1, 65535, &port)) {
            *error = "bad broker port in \"" + address + "\"";
            return false;
        }
        broker->port = static_cast<int>(port);
        address = address.substr(0, colon);
    }
    broker->host = address;
    broker->caFile = options.Get("cafile");
    broker->certFile = options.Get("cert");
    broker->keyFile = options.Get("key");
    broker->user = options.Get("user");
    std::string passwordFile = options.Get("password-file");
    if (!passwordFile.empty()) {
        std::ifstream in(passwordFile);
        if (!in || !std::getline(in, broker->password)) {
            *error = "cannot read the password from " + passwordFile;
            return false;
        }
        broker->password = Trim(broker->password);
    }
    broker->tls = !broker->caFile.empty();
    if (!broker->tls && !options.Has("no-tls") && !IsLoopbackHost(broker->host)) {
        *error = "the broker " + broker->host +
                 " is not on this machine: give the fleet's CA (cafile) and this machine's "
                 "certificate and key, or no-tls";
        return false;
    }
    if (broker->certFile.empty() != broker->keyFile.empty()) {
        *error = "a certificate needs its key, and a key its certificate";
        return false;
    }
    if (!broker->certFile.empty() && !broker->tls) {
        *error = "a certificate needs the fleet's CA (cafile)";
        return false;
    }
    return true;
}

bool ConfigureClient(mosquitto* client, const BrokerSettings& broker, std::string* error) {
    int rc = MOSQ_ERR_SUCCESS;
    if (!broker.user.empty())
        rc = mosquitto_username_pw_set(client, broker.user.c_str(),
                                       broker.password.empty() ? nullptr : broker.password.c_str());
    if (rc == MOSQ_ERR_SUCCESS && broker.tls) {
        rc = mosquitto_tls_set(client, broker.caFile.c_str(), nullptr,
                               broker.certFile.empty() ? nullptr : broker.certFile.c_str(),
                               broker.keyFile.empty() ? nullptr : broker.keyFile.c_str(), nullptr);
        if (rc == MOSQ_ERR_SUCCESS) rc = mosquitto_tls_opts_set(client, 1, nullptr, nullptr);
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        *error = std::string("broker settings refused: ") + mosquitto_strerror(rc);
        return false;
    }
    return true;
}

void FleetLog(const std::string& text) {
    std::fprintf(stderr, "%s %s\n", UtcNow().c_str(), text.c_str());
    std::fflush(stderr);
}
