// The credit service's balance rules and replies, without any storage: the service applies them
// in its database, the simulator's in-memory service and the tests' fake to balances they hold.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "request.h"

struct Balances {
    int64_t credit = 0;
    int64_t bank = 0;
};

// The reply that refuses a request.
constexpr const char* RefusalReply = "FAIL,0\r";

// The balances after a request, or false when it must be refused: the credit plus bank is short
// of a stake (which takes credit first, then bank), a balance would pass LargestBalance, or a
// payout names another amount than the bank holds.
bool BalancesAfter(const Request& request, const Balances& before, Balances* after);
// The reply to a request read or done: "BTEL,bank\r" for BGET, BADD and PAYO, "CTEL,credit\r" for
// the others.
std::string BalanceReply(Verb verb, const Balances& balances);
// Answers one request line (without its line end) against balances held in memory, changing them
// as the request does: the reply, RefusalReply, or "" for TERM, which gets none.
std::string AnswerInMemory(std::string_view line, Balances& balances);
