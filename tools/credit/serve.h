// The credit service: many clients at once on 127.0.0.1, each strictly request then reply.
#pragma once
#include <cstdint>
#include <string>

#include "store.h"

// The most connections served at once; more are closed as they arrive.
constexpr size_t MostClients = 256;
// A request line must end within this long of its first byte; a slower one is refused and its
// connection ended.
constexpr int LineTimeLimitMs = 10000;

// The reply to one request line (without its line end), with the change made in the store; empty
// for TERM, which gets none. Every refusal and change is written to the log.
std::string AnswerRequest(CreditStore& store, std::string_view line, const std::string& client);
// Serves until the process is ended; returns a process exit code when it cannot start.
int Serve(CreditStore& store, const std::string& dbPath, uint16_t port);
// A line to standard error, stamped with the time.
void LogLine(const std::string& text);
