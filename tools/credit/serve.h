// The credit service: many clients at once on 127.0.0.1, each strictly request then reply.
#pragma once
#include <cstdint>
#include <functional>
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
enum class LinesResult { Open, SendFailed, LineTooLong };
// Answers the whole lines of a connection's pending bytes, at most `most` of them, in order,
// handing each reply to `send`, and drops the answered lines from `pending`; `answered` (when
// given) gets their number. SendFailed when `send` returned false (no further line is answered);
// LineTooLong when a line is longer than LongestRequestLine, or the unended rest already is while
// no whole line waits: its refusal is the last reply and the connection must end.
LinesResult AnswerLines(CreditStore& store, std::string& pending, const std::string& client,
                        const std::function<bool(const std::string&)>& send, int most,
                        int* answered = nullptr);
// Serves until the process is ended; returns a process exit code when it cannot start.
int Serve(CreditStore& store, const std::string& dbPath, uint16_t port);
// A line to standard error, stamped with the time.
void LogLine(const std::string& text);
