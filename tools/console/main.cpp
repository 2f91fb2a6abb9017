// brindlemark-console: the operator's web console for one cabinet.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "console_server.h"
#include "passwords.h"
#include "platform/terminal.h"

namespace {
std::atomic<bool> gStop{false};

void OnSignal(int) {
    gStop = true;
}

int Usage(const std::string& problem) {
    if (!problem.empty()) std::fprintf(stderr, "brindlemark-console: %s\n", problem.c_str());
    std::fprintf(stderr,
                 "usage:\n"
                 "  brindlemark-console serve --folder DIR --db FILE --auth FILE"
                 " [--listen ADDR:PORT] [--credit-port N] [--idle SECONDS]\n"
                 "      serve the console for the cabinet working in DIR, with the credit"
                 " service's\n"
                 "      database FILE (read only) and the password file; on 127.0.0.1:8080"
                 " unless told;\n"
                 "      a signed-in session ends after SECONDS without a request (3600 unless"
                 " told)\n"
                 "  brindlemark-console serve --fleet postgresql://... --auth FILE"
                 " [--listen ADDR:PORT] [--idle SECONDS]\n"
                 "      serve the fleet's pages (every cabinet, each cabinet's own page and the"
                 " period\n"
                 "      report) from the database the collector fills\n"
                 "  brindlemark-console passwd --auth FILE\n"
                 "      set the operator's password (read from standard input when it is not a"
                 " terminal)\n");
    return 2;
}

bool ReadPort(const std::string& text, int least, int* port) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *port = std::stoi(text);
    return *port >= least && *port <= 65535;
}

// "ADDR:PORT" or "[IPv6]:PORT".
bool ReadListen(const std::string& text, std::string* host, int* port) {
    size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    std::string h = text.substr(0, colon);
    if (h.front() == '[') {
        if (h.size() < 3 || h.back() != ']') return false;
        h = h.substr(1, h.size() - 2);
    } else if (h.find(':') != std::string::npos) {
        return false;
    }
    if (h.find_first_not_of("0123456789abcdefABCDEF.:") != std::string::npos) return false;
    *host = h;
    return ReadPort(text.substr(colon + 1), 0, port);
}

int RunServe(const std::vector<std::string>& args) {
    ConsoleSettings settings;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool hasValue = i + 1 < args.size() && !args[i + 1].empty();
        if (!hasValue) return Usage(a + " needs a value");
        const std::string& v = args[++i];
        if (a == "--fleet") {
            settings.fleet = v;
        } else if (a == "--folder") {
            settings.folder = v;
        } else if (a == "--db") {
            settings.db = v;
        } else if (a == "--auth") {
            settings.auth = v;
        } else if (a == "--listen") {
            if (!ReadListen(v, &settings.host, &settings.port))
                return Usage("--listen needs ADDR:PORT, a numeric address and a port");
        } else if (a == "--idle") {
            if (v.size() > 5 || v.find_first_not_of("0123456789") != std::string::npos ||
                std::stoi(v) < 1 || std::stoi(v) > 28800)
                return Usage("--idle needs a number of seconds from 1 to 28800");
            settings.idleSeconds = std::stoi(v);
        } else if (a == "--credit-port") {
            int port = 0;
            if (!ReadPort(v, 1, &port)) return Usage("--credit-port needs a port from 1 to 65535");
            settings.creditPort = static_cast<uint16_t>(port);
        } else {
            return Usage("unknown option " + a);
        }
    }
    if (settings.auth.empty() ||
        (settings.fleet.empty() && (settings.folder.empty() || settings.db.empty())))
        return Usage("serve needs --auth, and --folder and --db (or --fleet)");
    ConsoleServer server;
    std::string error;
    if (!server.Prepare(settings, &error)) {
        std::fprintf(stderr, "brindlemark-console: %s\n", error.c_str());
        return 1;
    }
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    std::thread watcher([&server] {
        while (!gStop) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        server.Stop();
    });
    server.Run();
    gStop = true;
    watcher.join();
    std::fprintf(stderr, "brindlemark-console: stopped\n");
    return 0;
}

int RunPasswd(const std::vector<std::string>& args) {
    if (args.size() != 2 || args[0] != "--auth" || args[1].empty())
        return Usage("passwd needs --auth FILE");
    if (!StartCrypto()) {
        std::fprintf(stderr, "brindlemark-console: the cryptography library cannot start\n");
        return 1;
    }
    std::string password, again;
    if (!ReadSecretLine("New operator password: ", &password)) {
        std::fprintf(stderr, "brindlemark-console: no password given\n");
        return 1;
    }
    if (StandardInputIsTerminal() &&
        (!ReadSecretLine("The same again: ", &again) || again != password)) {
        std::fprintf(stderr, "brindlemark-console: the two passwords differ; nothing changed\n");
        return 1;
    }
    std::string error;
    if (!WritePasswordFile(args[1], password, &error)) {
        std::fprintf(stderr, "brindlemark-console: %s; nothing changed\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "brindlemark-console: password set in %s\n", args[1].c_str());
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage("no command given");
    std::string command = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "serve") return RunServe(args);
    if (command == "passwd") return RunPasswd(args);
    return Usage("unknown command \"" + command + "\"");
}
