// The credit service for tests: the real brindlemark-credit on a port of the system's choosing
// (read from its log, so no other program can take it first), its operator's commands, a raw
// client, and a hand-rolled fake service that answers from a script.
#pragma once
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/net.h"
#include "platform/process.h"
#include "support/scratch.h"

// The service binary: the one built with the tests, or BRINDLEMARK_CREDIT_SERVICE when set (to
// measure another build, such as the release one).
std::string CreditServicePath();

// Starts a server program that binds a port of the system's choosing and reports it on its
// standard error as "listening on 127.0.0.1:N"; the error output goes to `logPath`. Returns
// NoProcess (and stops the program) when no port is reported within ten seconds.
ProcessId StartListeningProgram(const std::vector<std::string>& argv, const std::string& logPath,
                                uint16_t* port);

// The real service, serving the database given.
class ServiceProcess {
  public:
    ServiceProcess(const std::string& dbPath, const std::string& logPath);
    ~ServiceProcess();
    bool started() const { return port_ != 0; }
    uint16_t port() const { return port_; }
    ProcessId process() const { return process_; }
    // Ends the service as a power cut would, and waits for it.
    void KillHard();

  private:
    ProcessId process_ = NoProcess;
    uint16_t port_ = 0;
};

// Runs brindlemark-credit with the arguments to its end: exit code, standard output and error.
struct CommandResult {
    int exitCode = -1;
    std::string output;
    std::string errors;
};
CommandResult RunCreditCommand(const std::vector<std::string>& args, const ScratchFolder& folder);

// One change in the output of `brindlemark-credit ledger`: who asked, what, the amount, and the
// credit and bank after it in pence (-1 where the line does not show "£12.34").
struct LedgerEntry {
    std::string client;
    std::string request;
    int64_t amount = 0;
    int64_t credit = 0;
    int64_t bank = 0;
};
std::vector<LedgerEntry> ParseLedger(const std::string& output);
// "£12.34" (UTF-8 pound sign) as pence; -1 when it is not that shape.
int64_t PenceOf(const std::string& text);

// The real service in a scratch folder of its own, with the operator's commands run against it.
class RunningCreditService {
  public:
    RunningCreditService();
    bool ok() const { return service_.started(); }
    uint16_t port() const { return service_.port(); }
    // Runs `brindlemark-credit args...` (with --port or --db added as the command needs) and
    // returns its exit code; its standard output is kept in output().
    int Run(const std::vector<std::string>& args);
    const std::string& output() const { return output_; }
    // A coin: `brindlemark-credit insert pence`.
    bool Insert(int pence) { return Run({"insert", std::to_string(pence)}) == 0; }

  private:
    ScratchFolder folder_{"credit"};
    ServiceProcess service_;
    std::string output_;
};

// One client connection speaking raw bytes, for what the game's link never sends.
class RawClient {
  public:
    explicit RawClient(uint16_t port);
    ~RawClient();
    bool connected() const;
    bool Send(const std::string& bytes);
    // One receive with a time-out: the bytes, "" when the service closed, "<timeout>" or "<error>".
    std::string Receive(int timeoutMs = 2000);

  private:
    SocketHandle socket_;
};

// What the fake does with one request line. Answer, Close, Silent and LateAnswer follow the
// script's reply; the Book kinds keep balances by the service's own rules and answer as it would,
// at once, never, or late.
struct FakeStep {
    enum Kind { Answer, Close, Silent, LateAnswer, Book, BookSilent, BookLate } kind = Answer;
    std::string reply;
    int delayMs = 0;
    int coin = 0;  // pence put into the credit just before the line is handled
};

// A service that answers each request line with the next step of its script (then with
// `fallback`, "FAIL,0\r" unless given), recording the lines exactly as received. A new
// connection replaces the current one, as when the game connects again.
class FakeCreditService {
  public:
    explicit FakeCreditService(std::vector<FakeStep> script,
                               FakeStep fallback = FakeStep{FakeStep::Answer, "FAIL,0\r", 0, 0},
                               int64_t credit = 0, int64_t bank = 0);
    // Listens on the port given (the cabinet's own, say; 0: one of the system's choosing) and
    // answers each line with what `reply` returns for it (nothing when it returns "" or is not
    // given).
    explicit FakeCreditService(uint16_t port = 0,
                               std::function<std::string(const std::string&)> reply = nullptr);
    ~FakeCreditService();
    // False when the port could not be taken.
    bool ok() const { return listener_ != InvalidSocket; }
    uint16_t port() const { return port_; }
    std::vector<std::string> Lines();
    // Every line received, joined.
    std::string received();
    // True once a client has closed its connection.
    bool clientClosed() const { return clientClosed_; }
    // The balances the Book steps keep.
    int64_t credit() const { return credit_; }
    int64_t bank() const { return bank_; }
    int connections() const { return connections_; }

  private:
    void Run();
    std::string Booked(const std::string& line);
    std::vector<FakeStep> script_;
    FakeStep fallback_;
    std::function<std::string(const std::string&)> reply_;
    std::atomic<bool> clientClosed_{false};
    std::atomic<int64_t> credit_;
    std::atomic<int64_t> bank_;
    std::atomic<int> connections_{0};
    SocketHandle listener_;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> lines_;
    std::thread thread_;
};
