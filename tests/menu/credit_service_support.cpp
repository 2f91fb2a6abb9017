#include "credit_service_support.h"

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "platform/net.h"
#include "platform/net_server.h"

namespace {
uint16_t FreePort() {
    SocketHandle probe = ListenOnLoopback(0);
    uint16_t port = SocketLocalPort(probe);
    CloseSocket(probe);
    return port;
}

bool Answers(uint16_t port) {
    SocketHandle s = OpenTcpSocket();
    bool connected = ConnectSocket(s, "127.0.0.1", port);
    CloseSocket(s);
    return connected;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
}  // namespace

CreditServiceForTest::CreditServiceForTest() {
    std::random_device random;
    dir_ = std::filesystem::temp_directory_path() /
           ("brindlemark-menu-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(dir_);
    port_ = FreePort();
    if (port_ == 0) return;
    process_ = StartProcess({BRINDLEMARK_CREDIT_BINARY, "serve", "--db",
                             (dir_ / "credit.db").string(), "--port", std::to_string(port_)},
                            (dir_ / "serve.out").string(), (dir_ / "serve.err").string());
    if (process_ == NoProcess) return;
    for (int i = 0; i < 500 && !ok_; ++i) {
        ok_ = Answers(port_);
        if (!ok_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

CreditServiceForTest::~CreditServiceForTest() {
    if (process_ != NoProcess) {
        StopProcess(process_);
        WaitProcess(process_);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

int CreditServiceForTest::Run(const std::vector<std::string>& args) {
    std::vector<std::string> argv{BRINDLEMARK_CREDIT_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    if (!args.empty() && args[0] == "ledger") {
        argv.insert(argv.end(), {"--db", (dir_ / "credit.db").string()});
    } else {
        argv.insert(argv.end(), {"--port", std::to_string(port_)});
    }
    std::filesystem::path out = dir_ / "command.out";
    ProcessId command = StartProcess(argv, out.string(), (dir_ / "command.err").string());
    if (command == NoProcess) return -1;
    int code = WaitProcess(command);
    output_ = ReadFile(out);
    return code;
}
