// Test support for the fleet: a Mosquitto broker set up by the package's own set-up script, and a
// private PostgreSQL cluster, both on loopback in a scratch folder, run as an unprivileged user
// ("nobody" when the tests run as root), started and stopped by the test.
#pragma once
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/process.h"
#include "support/capture.h"
#include "support/scratch.h"

namespace fleet {
constexpr const char* PostgresBin = "/usr/lib/postgresql/15/bin/";

// A loopback port nobody listens on now. Another program may take it before the server started on
// it binds it, so the servers below watch their own start and move to another port when theirs
// was taken.
inline int FreePort() {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) == 0)
        port = ntohs(a.sin_port);
    close(s);
    return port;
}

// The command's words run as the unprivileged user when the tests run as root.
inline std::vector<std::string> AsUnprivileged(std::vector<std::string> argv) {
    if (geteuid() != 0) return argv;
    std::vector<std::string> with = {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup",
                                     "--clear-groups", "--"};
    with.insert(with.end(), argv.begin(), argv.end());
    return with;
}

inline std::string AsUnprivilegedShell(const std::string& command) {
    return geteuid() != 0 ? command
                          : "setpriv --reuid=nobody --regid=nogroup --clear-groups -- " + command;
}

inline void GiveToUnprivileged(const std::filesystem::path& path) {
    if (geteuid() == 0) CaptureCommand("chown -R nobody:nogroup '" + path.string() + "'");
}

inline bool WaitFor(double seconds, const auto& done) {
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return done();
}

// How a server's start went: it serves, it ended because its port was taken (the log says
// "Address already in use"), it ended otherwise, or it still runs without serving yet.
enum class StartOutcome { Serving, PortTaken, Failed, Slow };

// Waits until `serving()` or the process ends; a process that ended is reaped and set to
// NoProcess. One that is slow to start (a loaded machine) is left running.
inline StartOutcome WatchStart(ProcessId& process, const std::filesystem::path& log, double seconds,
                               const auto& serving) {
    int code = 0;
    bool ended = false;
    WaitFor(seconds, [&] { return serving() || (ended = ProcessEnded(process, &code)); });
    if (!ended) return serving() ? StartOutcome::Serving : StartOutcome::Slow;
    process = NoProcess;
    return ReadText(log.string()).find("Address already in use") != std::string::npos
               ? StartOutcome::PortTaken
               : StartOutcome::Failed;
}

// The fleet's broker in `folder`, written by brindlemark-fleet-setup (password sign-in, or TLS
// with client certificates when `tlsHost` is given).
class Broker {
  public:
    Broker(const std::filesystem::path& folder, const std::string& setupScript,
           const std::string& tlsHost = "")
        : folder_(folder), script_(setupScript), port_(FreePort()) {
        std::string command =
            script_ + " broker '" + folder_.string() + "' --port " + std::to_string(port_);
        if (!tlsHost.empty()) command += " --tls " + tlsHost;
        setUp_ = CaptureCommand(command + " 2>&1");
        GiveToUnprivileged(folder_);
        Start();
    }
    ~Broker() { Stop(); }
    bool running() const { return process_ != NoProcess && setUp_.status == 0; }
    const std::string& setUpOutput() const { return setUp_.out; }
    int port() const { return port_; }
    ProcessId pid() const { return process_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path Client(const std::string& name, const std::string& ext) const {
        return folder_ / "clients" / (name + "." + ext);
    }
    // Issues a cabinet's credentials and has the broker read them.
    bool AddCabinet(const std::string& id) {
        bool ok = CaptureCommand(script_ + " cabinet '" + folder_.string() + "' " + id + " 2>&1")
                      .status == 0;
        GiveToUnprivileged(folder_);
        if (process_ != NoProcess) kill(process_, SIGHUP);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return ok;
    }
    // Starts the broker and waits until its listener is open (its log says "running"). While no
    // client has been given the port (the first start), a port taken meanwhile is traded for
    // another free one; a restart keeps the port its clients know.
    void Start() {
        if (process_ != NoProcess) return;
        std::filesystem::path log = folder_ / "broker.log";
        for (int attempt = 0; attempt < 5; ++attempt) {
            process_ = StartProcess(AsUnprivileged({"/usr/sbin/mosquitto", "-c",
                                                    (folder_ / "mosquitto.conf").string()}),
                                    "", log.string());
            StartOutcome start = WatchStart(process_, log, 60, [&] {
                return ReadText(log.string()).find(" running\n") != std::string::npos;
            });
            if (start != StartOutcome::PortTaken || started_) break;
            port_ = FreePort();
            Listen(port_);
        }
        started_ = true;
    }
    void Stop() {
        if (process_ == NoProcess) return;
        StopProcess(process_);
        WaitProcess(process_);
        process_ = NoProcess;
    }

  private:
    std::filesystem::path folder_;
    std::string script_;
    int port_;
    Captured setUp_;
    ProcessId process_ = NoProcess;
    bool started_ = false;

    // Rewrites the set-up's listener line for another port.
    void Listen(int port) {
        std::filesystem::path conf = folder_ / "mosquitto.conf";
        std::istringstream lines(ReadText(conf.string()));
        std::string text;
        for (std::string line; std::getline(lines, line);)
            text +=
                (line.rfind("listener ", 0) == 0 ? "listener " + std::to_string(port) + " 127.0.0.1"
                                                 : line) +
                "\n";
        std::ofstream(conf) << text;
    }
};

// A private PostgreSQL cluster with one database, "fleet", owned by the user "fleet".
class Postgres {
  public:
    explicit Postgres(const std::filesystem::path& folder) : folder_(folder) {
        std::filesystem::create_directories(folder_);
        GiveToUnprivileged(folder_);
        std::string data = (folder_ / "data").string();
        Captured init =
            CaptureCommand(AsUnprivilegedShell(std::string(PostgresBin) + "initdb -D '" + data +
                                               "' -A trust -U fleet --no-sync") +
                           " 2>&1");
        if (init.status != 0) {
            error_ = init.out;
            return;
        }
        // The server is ready when its own pid file says so (its eighth line, "ready"), which
        // it writes only once it listens on the port given; a port taken meanwhile (the server
        // logs "Address already in use" and ends) is traded for another free one.
        std::filesystem::path log = folder_ / "postgres.log";
        StartOutcome start = StartOutcome::Failed;
        for (int attempt = 0; attempt < 5; ++attempt) {
            port_ = FreePort();
            process_ = StartProcess(
                AsUnprivileged({std::string(PostgresBin) + "postgres", "-D", data, "-p",
                                std::to_string(port_), "-k", folder_.string(), "-c",
                                "listen_addresses=127.0.0.1", "-c", "lc_messages=C"}),
                "", log.string());
            start = WatchStart(process_, log, 60, [&] { return Ready(data); });
            if (start != StartOutcome::PortTaken) break;
        }
        if (start != StartOutcome::Serving) {
            error_ = "postgres did not start: " + ReadText(log.string());
            return;
        }
        Captured made = CaptureCommand(std::string(PostgresBin) + "createdb -h 127.0.0.1 -p " +
                                       std::to_string(port_) + " -U fleet fleet 2>&1");
        if (made.status != 0) error_ = "the fleet database was not made: " + made.out;
    }
    ~Postgres() {
        if (process_ == NoProcess) return;
        kill(process_, SIGINT);  // fast shutdown
        WaitProcess(process_);
    }
    bool running() const { return process_ != NoProcess && error_.empty(); }
    ProcessId pid() const { return process_; }
    const std::string& error() const { return error_; }
    std::string url() const {
        return "postgresql://fleet@127.0.0.1:" + std::to_string(port_) + "/fleet";
    }
    // One value from psql ("" on failure).
    std::string Value(const std::string& sql) const {
        Captured c = CaptureCommand("psql -X -q -t -A '" + url() + "' -c \"" + sql + "\"");
        while (!c.out.empty() && (c.out.back() == '\n' || c.out.back() == ' ')) c.out.pop_back();
        return c.out;
    }

  private:
    std::filesystem::path folder_;
    int port_ = 0;
    ProcessId process_ = NoProcess;
    std::string error_;

    static bool Ready(const std::string& data) {
        std::istringstream lines(ReadText(data + "/postmaster.pid"));
        std::string line;
        for (int n = 0; n < 8 && std::getline(lines, line);) ++n;
        return line.rfind("ready", 0) == 0;
    }
};
}  // namespace fleet
