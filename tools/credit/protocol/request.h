// The request lines the credit service understands, as the game and the operator's commands
// send them: "CGET", "BGET", "CUSE,n", "BADD,n", "CADD,n" and "TERM"; and the operator's cash
// collection "PAYO,n", which empties a bank that holds exactly n.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

enum class Verb { CreditGet, BankGet, CreditUse, BankAdd, CreditAdd, Term, BankPayout };

struct Request {
    Verb verb = Verb::CreditGet;
    int32_t amount = 0;  // pence, for CUSE, BADD, CADD and PAYO
};

// The longest request line, not counting its line end; a longer one closes the connection.
constexpr size_t LongestRequestLine = 64;
// The largest amount one request may carry.
constexpr int32_t LargestRequestAmount = 100000;
// No balance goes above this.
constexpr int64_t LargestBalance = 2147483647;

// Reads one request line without its line end. False, with the reason, when it is not a request:
// an unknown word, junk bytes, or an amount that is not a plain decimal from 1 to 100000.
bool ParseRequest(std::string_view line, Request* request, const char** reason);
// Reads an amount in pence: digits only, no leading zero, 1 to 100000.
bool ParseAmount(std::string_view text, int32_t* amount);
// Reads a whole balance in pence, as a payout names it: digits only, no leading zero, 1 to
// LargestBalance.
bool ParseBalance(std::string_view text, int32_t* amount);
// The verb as it is written on the wire.
const char* VerbName(Verb verb);
// The line shown in the log for a request: printable ASCII kept, other bytes as \xNN, cut short.
std::string PrintableLine(std::string_view line);
