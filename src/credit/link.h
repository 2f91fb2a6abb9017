// The game's link to the credit service: one TCP connection to 127.0.0.1:6667 for the whole run,
// over which the game asks for the credit and bank, takes the stake and pays prizes. Each
// operation is one exchange: a request line sent whole, one reply read in a single receive.
#pragma once
#include <cstdint>

#include "credit/reconcile.h"
#include "platform/net.h"

// The stake of one game in pence, and the least credit plus bank that can start one.
extern int16_t GameStake;

// A failed balance query.
constexpr uint16_t CreditQueryFailed = 0xFFFF;
// How long an exchange waits for its reply before it counts as failed (2 s; the fuzz harness
// of the link shortens it so that a peer that never answers costs it little).
extern int gCreditReplyTimeoutMs;
// Balances at or above this read as 0 on screen and in the play test.
constexpr uint16_t CreditShownLimit = 10000;

struct CreditLink {
    SocketHandle socket = InvalidSocket;
    char request[32] = {};    // the request line being sent
    long receiveCount = 0;    // result of the last receive
    char reply[4096] = {};    // the last reply, zero-terminated
    char valueText[16] = {};  // the reply's text after its first comma, cut to fit
};
extern CreditLink gCreditLink;

// The service's port; the program always uses 6667, tests point it at their own service.
extern uint16_t gCreditServicePort;
constexpr const char* CreditServiceAddress = "127.0.0.1";

// Start-up: makes the socket (false: exit code 1) and connects it (false: exit code 2).
bool CreateCreditSocket();
bool ConnectCreditService();
// Tells the service that the game is going away ("TERM\r\n"); no reply is read.
void SendTerm();
void CloseCreditLink();

// The parts of one exchange, for the requests that move money and must learn their outcome even
// when the reply is late (credit/reconcile.h).
enum class ReplyWait {
    Matched,   // a reply with the expected tag and a comma; its value text is in valueText
    Other,     // a reply with another tag ("FAIL" among them) or without a comma
    TimedOut,  // nothing came in time; the connection is still there
    Lost,      // the connection was closed or failed
};
// Sends the line in gCreditLink.request whole, after throwing away bytes that arrived outside an
// exchange; false when the send failed.
bool SendRequestLine();
// One receive of at most 4095 bytes within timeoutMs, checked for `tag` and a comma.
ReplyWait AwaitReply(const char* tag, int timeoutMs);

// The credit in pence, or CreditQueryFailed.
uint16_t QueryCredit();
// The bank in pence, or CreditQueryFailed.
uint16_t QueryBank();
// Takes `amount` pence for a game; true when the service took it.
bool UseCredit(int32_t amount);
// Adds pence to the bank; true when the service did.
bool AddBank(int32_t amount);
// Adds pence to the credit; true when the service did.
bool AddCredit(int32_t amount);

// The balances as screens show and test them: a failure or a value of 10000 or more reads as 0.
uint16_t CurrentCredit();
uint16_t CurrentBank();

// Takes the stake of the game about to be played and records the purchase; true when the game
// may start. The balances are read first; a stake whose reply is late is settled by
// credit/reconcile.h, and one that may have been taken counts as taken.
bool TakeStake();
// Records a purchase whose stake was taken, by the bank left after it.
void CountStake(uint16_t bank);
// Hands a prize in pence to the service: whole pounds to the bank, odd pence to the credit, each
// part settled by credit/reconcile.h when its reply is late.
void PayPrize(int16_t amount);
// How the last PayPrize ended, its worst part: booked, not booked, or uncertain.
MoneyOutcome LastPrizeOutcome();
MoneyOutcome CombinePrizeOutcomes(MoneyOutcome a, MoneyOutcome b);
