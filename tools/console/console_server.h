// The console's web server: sign-in, sessions, form tokens, request limits, the pages, and the
// actions sent to the credit service through its own operator requests.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

struct ConsoleSettings {
    std::string folder;  // the cabinet's working folder
    std::string db;      // the credit service's database, read-only
    std::string auth;    // the password file
    std::string host = "127.0.0.1";
    int port = 8080;  // 0: any free port
    uint16_t creditPort = 6667;
    int idleSeconds = 3600;  // a signed-in session ends after this long without a request
    std::string fleet;  // fleet mode: the fleet's database (postgresql://...) instead of a cabinet
};

constexpr size_t LongestRequestBody = 16 * 1024;

class ConsoleServer {
  public:
    ConsoleServer();
    ~ConsoleServer();
    // Opens the database, checks the password file and binds; false with a message.
    bool Prepare(const ConsoleSettings& settings, std::string* error);
    // The port bound.
    int port() const;
    // Serves until Stop.
    void Run();
    void Stop();

  private:
    struct State;
    std::unique_ptr<State> state_;
};
