// Test support: a real brindlemark-credit service on a free port in a folder of its own, and a
// hand-rolled fake service that answers from a script.
#pragma once
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/net.h"
#include "platform/process.h"

// A fresh, empty folder under the system's temporary folder, removed at the end.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    const std::filesystem::path& path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// Reads a whole text file ("" when missing).
std::string ReadText(const std::string& path);

// The service binary: the one built with the tests, or BRINDLEMARK_CREDIT_SERVICE when set (to
// measure another build, such as the release one).
std::string CreditServicePath();

// The real service, started on a free port with the database given.
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
// script's reply; the Book kinds keep balances as a service would (CGET and BGET read them, CUSE
// takes credit first, then bank, or refuses) and answer accordingly, at once, never, or late.
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
    ~FakeCreditService();
    uint16_t port() const { return port_; }
    std::vector<std::string> Lines();
    // The balances the Book steps keep.
    int64_t credit() const { return credit_; }
    int64_t bank() const { return bank_; }
    int connections() const { return connections_; }

  private:
    void Run();
    std::string Booked(const std::string& line);
    std::vector<FakeStep> script_;
    FakeStep fallback_;
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
