#include "support/credit_service.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>

#include "balances.h"
#include "platform/net_server.h"

namespace fs = std::filesystem;

std::string CreditServicePath() {
    const char* other = std::getenv("BRINDLEMARK_CREDIT_SERVICE");
    return other && *other ? other : CREDIT_SERVICE_PATH;
}

ProcessId StartListeningProgram(const std::vector<std::string>& argv, const std::string& logPath,
                                uint16_t* port) {
    // The log of an earlier run must not be read for this one's port.
    std::error_code ignored;
    fs::remove(logPath, ignored);
    // Its standard output is not the test's: a test that dies must not leave its output open.
    ProcessId process = StartProcess(argv, "/dev/null", logPath);
    const std::string marker = "listening on 127.0.0.1:";
    for (int i = 0; i < 1000 && process != NoProcess; ++i) {
        std::string log = ReadText(logPath);
        size_t at = log.find(marker);
        if (at != std::string::npos && log.find('\n', at) != std::string::npos) {
            *port = static_cast<uint16_t>(std::stoi(log.substr(at + marker.size())));
            return process;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (process != NoProcess) {
        StopProcess(process);
        WaitProcess(process);
    }
    return NoProcess;
}

ServiceProcess::ServiceProcess(const std::string& dbPath, const std::string& logPath) {
    process_ = StartListeningProgram({CreditServicePath(), "serve", "--db", dbPath, "--port", "0"},
                                     logPath, &port_);
}

ServiceProcess::~ServiceProcess() {
    if (process_ == NoProcess) return;
    StopProcess(process_);
    WaitProcess(process_);
}

void ServiceProcess::KillHard() {
    KillProcessHard(process_);
    WaitProcess(process_);
    process_ = NoProcess;
    port_ = 0;
}

CommandResult RunCreditCommand(const std::vector<std::string>& args, const ScratchFolder& folder) {
    std::vector<std::string> argv{CREDIT_SERVICE_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string out = folder.File("command.out"), err = folder.File("command.err");
    CommandResult result;
    result.exitCode = WaitProcess(StartProcess(argv, out, err));
    result.output = ReadText(out);
    result.errors = ReadText(err);
    return result;
}

std::vector<LedgerEntry> ParseLedger(const std::string& output) {
    std::vector<LedgerEntry> entries;
    std::istringstream in(output);
    std::string line;
    std::getline(in, line);  // the heading
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, time, credit, bank;
        LedgerEntry e;
        if (fields >> id >> time >> e.client >> e.request >> e.amount >> credit >> bank) {
            e.credit = PenceOf(credit);
            e.bank = PenceOf(bank);
            entries.push_back(e);
        }
    }
    return entries;
}

int64_t PenceOf(const std::string& text) {
    std::smatch m;
    static const std::regex shape("\xC2\xA3([0-9]+)\\.([0-9]{2})");
    if (!std::regex_match(text, m, shape)) return -1;
    return std::stoll(m[1]) * 100 + std::stoll(m[2]);
}

RunningCreditService::RunningCreditService()
    : service_(folder_.File("credit.db"), folder_.File("serve.log")) {}

int RunningCreditService::Run(const std::vector<std::string>& args) {
    std::vector<std::string> full = args;
    if (!args.empty() && args[0] == "ledger") {
        full.insert(full.end(), {"--db", folder_.File("credit.db")});
    } else {
        full.insert(full.end(), {"--port", std::to_string(port())});
    }
    CommandResult result = RunCreditCommand(full, folder_);
    output_ = result.output;
    return result.exitCode;
}

RawClient::RawClient(uint16_t port) : socket_(OpenTcpSocket()) {
    if (!ConnectSocket(socket_, "127.0.0.1", port)) {
        CloseSocket(socket_);
        socket_ = InvalidSocket;
    }
}

RawClient::~RawClient() {
    CloseSocket(socket_);
}

bool RawClient::connected() const {
    return socket_ != InvalidSocket;
}

bool RawClient::Send(const std::string& bytes) {
    return SendOnSocket(socket_, bytes.data(), bytes.size()) == static_cast<long>(bytes.size());
}

std::string RawClient::Receive(int timeoutMs) {
    char buffer[4096];
    long n = ReceiveOnSocket(socket_, buffer, sizeof buffer, timeoutMs);
    if (n == -2) return "<timeout>";
    if (n < 0) return "<error>";
    return std::string(buffer, static_cast<size_t>(n));
}

FakeCreditService::FakeCreditService(std::vector<FakeStep> script, FakeStep fallback,
                                     int64_t credit, int64_t bank)
    : script_(std::move(script)),
      fallback_(std::move(fallback)),
      credit_(credit),
      bank_(bank),
      listener_(ListenOnLoopback(0)) {
    port_ = SocketLocalPort(listener_);
    thread_ = std::thread([this] { Run(); });
}

FakeCreditService::FakeCreditService(uint16_t port,
                                     std::function<std::string(const std::string&)> reply)
    : fallback_{FakeStep::Silent, "", 0, 0},
      reply_(std::move(reply)),
      credit_(0),
      bank_(0),
      listener_(ListenOnLoopback(port)) {
    port_ = SocketLocalPort(listener_);
    thread_ = std::thread([this] { Run(); });
}

FakeCreditService::~FakeCreditService() {
    stop_ = true;
    thread_.join();
    CloseSocket(listener_);
}

std::vector<std::string> FakeCreditService::Lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

std::string FakeCreditService::received() {
    std::string all;
    for (const std::string& line : Lines()) all += line;
    return all;
}

std::string FakeCreditService::Booked(const std::string& line) {
    std::string_view request(line);  // without its line end, as the service reads it
    while (!request.empty() && (request.back() == '\n' || request.back() == '\r'))
        request.remove_suffix(1);
    Balances balances{credit_, bank_};
    std::string reply = AnswerInMemory(request, balances);
    credit_ = balances.credit;
    bank_ = balances.bank;
    return reply;
}

void FakeCreditService::Run() {
    if (listener_ == InvalidSocket) return;
    SocketHandle client = InvalidSocket;
    std::string pending;
    size_t next = 0;
    while (!stop_) {
        SocketWait waits[2] = {{listener_, false}, {client, false}};
        if (WaitForSockets(waits, client == InvalidSocket ? 1 : 2, 20) <= 0) continue;
        if (waits[0].ready) {
            SocketHandle fresh = AcceptConnection(listener_, nullptr);
            if (fresh != InvalidSocket) {
                CloseSocket(client);
                client = fresh;
                pending.clear();
                ++connections_;
            }
            continue;
        }
        char chunk[4096];
        long n = ReadAvailable(client, chunk, sizeof chunk);
        if (n == -2) continue;
        if (n <= 0) {
            CloseSocket(client);
            client = InvalidSocket;
            clientClosed_ = true;
            continue;
        }
        pending.append(chunk, static_cast<size_t>(n));
        size_t end;
        while (client != InvalidSocket && (end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end + 1);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                lines_.push_back(line);
            }
            pending.erase(0, end + 1);
            FakeStep step = next < script_.size() ? script_[next++] : fallback_;
            if (reply_) {
                step.reply = reply_(line);
                step.kind = step.reply.empty() ? FakeStep::Silent : FakeStep::Answer;
            }
            credit_ += step.coin;
            if (step.kind == FakeStep::Book || step.kind == FakeStep::BookSilent ||
                step.kind == FakeStep::BookLate)
                step.reply = Booked(line);
            if (step.kind == FakeStep::LateAnswer || step.kind == FakeStep::BookLate)
                std::this_thread::sleep_for(std::chrono::milliseconds(step.delayMs));
            if (step.kind == FakeStep::Close) {
                CloseSocket(client);
                client = InvalidSocket;
            } else if (step.kind != FakeStep::Silent && step.kind != FakeStep::BookSilent) {
                SendOnSocket(client, step.reply.data(), step.reply.size());
            }
        }
    }
    CloseSocket(client);
}
