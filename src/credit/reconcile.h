// Money that moves while a reply is late. A stake or a prize request whose reply does not come in
// time is settled within the protocol before the cabinet goes on: the link waits longer for the
// reply on the same connection, and when none comes it connects again, reads the balances and
// compares them with the balances read just before the request.
//
// Coins inserted meanwhile can make the comparison ambiguous. The decision is then the one that
// cannot take money from the player or pay anything twice: a stake counts as taken (the player
// gets the game), a prize counts as possibly paid (it is not sent again, and the log names it so
// that it can be checked against the ledger and paid by hand).
#pragma once
#include <cstdint>

// The three requests that move money.
enum class MoneyRequest { UseCredit, AddBank, AddCredit };

// Credit and bank in pence as the link reads them.
struct CreditBalances {
    uint16_t credit = 0;
    uint16_t bank = 0;
    bool known = false;  // false: they could not be read
};

// What became of one money-moving request.
enum class MoneyOutcome {
    Booked,     // the service made the change (its reply said so, or the balances show it)
    NotBooked,  // the service refused it, or the balances show it never happened
    Uncertain,  // the balances could not be read, or coins moved them so that both are possible
};

// After the first 2 s without a reply, how much longer the link waits on the same connection.
extern int gCreditLateReplyMs;
// Then how long it keeps trying to connect again and read the balances.
extern int gCreditReconnectMs;

// Reads the credit and then the bank; `known` is false when either query failed.
CreditBalances ReadBalances();

// The decision from the balances before the request and now, taking into account that coins
// may have raised the credit meanwhile. A stake lowers credit plus bank by its amount; a prize
// raises the bank (BADD) or the credit (CADD) by its amount.
MoneyOutcome JudgeMoneyMoved(MoneyRequest request, int32_t amount, const CreditBalances& before,
                             const CreditBalances& now);

// For a request whose reply never came: connects again (within gCreditReconnectMs), reads the
// balances, decides with JudgeMoneyMoved and writes the decision to the log. Also used when a
// request was sent before the cabinet stopped and its outcome was never learnt.
MoneyOutcome ReconcileMoneyRequest(MoneyRequest request, int32_t amount,
                                   const CreditBalances& before);

// Sends one money-moving request and learns its outcome: the reply, a late reply, or the
// reconciliation. `before` holds the balances read just before. `replied` (when given) tells
// whether the outcome is the service's own answer (true) or was judged from the balances.
MoneyOutcome MoveMoney(MoneyRequest request, int32_t amount, const CreditBalances& before,
                       bool* replied = nullptr);

// Called after the balances are read and before a stake or prize request is sent, so that the
// request and the balances it is judged against can be kept (null: nothing is kept).
extern void (*gBeforeMoneyRequest)(MoneyRequest request, int32_t amount,
                                   const CreditBalances& before);

// One part of a prize (AddBank or AddCredit): reads the balances, sends it, and sends it again
// while the balances show that it was never booked (at most three times in all). Logs a part that
// was not paid, or that may not have been.
MoneyOutcome PayPrizePart(MoneyRequest request, int32_t amount);
