#include "credit/reconcile.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "credit/link.h"
#include "records/log.h"

int gCreditLateReplyMs = 8000;
int gCreditReconnectMs = 10000;
void (*gBeforeMoneyRequest)(MoneyRequest, int32_t, const CreditBalances&) = nullptr;

namespace {
using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

const char* Verb(MoneyRequest request) {
    switch (request) {
        case MoneyRequest::UseCredit:
            return "CUSE";
        case MoneyRequest::AddBank:
            return "BADD";
        case MoneyRequest::AddCredit:
            return "CADD";
    }
    return "?";
}

// The reply tag that says the request was done.
const char* DoneTag(MoneyRequest request) {
    return request == MoneyRequest::AddBank ? "BTEL" : "CTEL";
}

// What a reply that came says; false when it says nothing certain (a tag that is neither the
// expected one nor a refusal).
bool ReplySays(ReplyWait wait, MoneyOutcome* outcome) {
    if (wait == ReplyWait::Matched) {
        *outcome = MoneyOutcome::Booked;
        return true;
    }
    if (wait == ReplyWait::Other && gCreditLink.receiveCount >= 4 &&
        std::memcmp(gCreditLink.reply, "FAIL", 4) == 0) {
        *outcome = MoneyOutcome::NotBooked;
        return true;
    }
    return false;
}

// A fresh connection to the service: the old one is closed first, so that a reply still on its
// way there can never be read as the reply to a later request.
bool ConnectAgain() {
    CloseCreditLink();
    return CreateCreditSocket() && ConnectCreditService();
}

const char* OutcomeText(MoneyOutcome outcome) {
    switch (outcome) {
        case MoneyOutcome::Booked:
            return "booked";
        case MoneyOutcome::NotBooked:
            return "not booked";
        case MoneyOutcome::Uncertain:
            break;
    }
    return "cannot tell whether it was booked (coins may have come in meanwhile)";
}
}  // namespace

CreditBalances ReadBalances() {
    CreditBalances balances;
    uint16_t credit = QueryCredit();
    if (credit == CreditQueryFailed) return balances;
    uint16_t bank = QueryBank();
    if (bank == CreditQueryFailed) return balances;
    balances.credit = credit;
    balances.bank = bank;
    balances.known = true;
    return balances;
}

MoneyOutcome JudgeMoneyMoved(MoneyRequest request, int32_t amount, const CreditBalances& before,
                             const CreditBalances& now) {
    if (!before.known || !now.known) return MoneyOutcome::Uncertain;
    int32_t credit = static_cast<int32_t>(now.credit) - before.credit;
    int32_t bank = static_cast<int32_t>(now.bank) - before.bank;
    switch (request) {
        case MoneyRequest::UseCredit:
            // Only a stake lowers the credit; coins only raise it.
            if (credit == 0 && bank == 0) return MoneyOutcome::NotBooked;
            if (credit < 0) return MoneyOutcome::Booked;
            if (credit == 0 && bank == -amount) return MoneyOutcome::Booked;
            return MoneyOutcome::Uncertain;
        case MoneyRequest::AddBank:
            // Coins do not reach the bank.
            if (bank == amount) return MoneyOutcome::Booked;
            if (bank == 0) return MoneyOutcome::NotBooked;
            return MoneyOutcome::Uncertain;
        case MoneyRequest::AddCredit:
            // Coins only raise the credit: a rise short of the amount cannot hold it.
            if (credit >= 0 && credit < amount) return MoneyOutcome::NotBooked;
            if (credit == amount) return MoneyOutcome::Booked;
            return MoneyOutcome::Uncertain;
    }
    return MoneyOutcome::Uncertain;
}

MoneyOutcome ReconcileMoneyRequest(MoneyRequest request, int32_t amount,
                                   const CreditBalances& before) {
    Clock::time_point start = Clock::now();
    CreditBalances now;
    for (;;) {
        if (ConnectAgain()) now = ReadBalances();
        if (now.known || MsSince(start) >= gCreditReconnectMs) break;
        PauseBeforeRetry(100);
    }
    MoneyOutcome outcome = JudgeMoneyMoved(request, amount, before, now);
    if (!now.known) {
        WriteLog("%s,%d: the balances cannot be read; cannot tell whether it was booked\n",
                 Verb(request), static_cast<int>(amount));
    } else if (!before.known) {
        WriteLog("%s,%d: the balances before it are not known (credit %u, bank %u now); %s\n",
                 Verb(request), static_cast<int>(amount), now.credit, now.bank,
                 OutcomeText(outcome));
    } else {
        WriteLog("%s,%d: credit %u and bank %u before, credit %u and bank %u now: %s\n",
                 Verb(request), static_cast<int>(amount), before.credit, before.bank, now.credit,
                 now.bank, OutcomeText(outcome));
    }
    return outcome;
}

MoneyOutcome MoveMoney(MoneyRequest request, int32_t amount, const CreditBalances& before,
                       bool* replied) {
    if (replied) *replied = true;
    std::snprintf(gCreditLink.request, sizeof gCreditLink.request, "%s,%d\r\n", Verb(request),
                  static_cast<int>(amount));
    Clock::time_point start = Clock::now();
    const char* tag = DoneTag(request);
    MoneyOutcome outcome = MoneyOutcome::Uncertain;
    ReplyWait wait = SendRequestLine() ? AwaitReply(tag, gCreditReplyTimeoutMs) : ReplyWait::Lost;
    if (ReplySays(wait, &outcome)) return outcome;
    if (wait == ReplyWait::TimedOut) {
        wait = AwaitReply(tag, gCreditLateReplyMs);
        if (ReplySays(wait, &outcome)) {
            WriteLog("%s,%d: the reply came late, after %ld ms: %s\n", Verb(request),
                     static_cast<int>(amount), MsSince(start), OutcomeText(outcome));
            return outcome;
        }
    }
    if (wait == ReplyWait::TimedOut) {
        WriteLog("%s,%d: no reply after %ld ms; asking the balances\n", Verb(request),
                 static_cast<int>(amount), MsSince(start));
    } else if (wait == ReplyWait::Lost) {
        WriteLog("%s,%d: the connection to the credit service failed; asking the balances\n",
                 Verb(request), static_cast<int>(amount));
    } else {
        WriteLog("%s,%d: an unexpected reply; asking the balances\n", Verb(request),
                 static_cast<int>(amount));
    }
    if (replied) *replied = false;
    return ReconcileMoneyRequest(request, amount, before);
}

MoneyOutcome PayPrizePart(MoneyRequest request, int32_t amount) {
    const char* where = request == MoneyRequest::AddBank ? "bank" : "credit";
    for (int attempt = 1;; ++attempt) {
        CreditBalances before = ReadBalances();
        if (gBeforeMoneyRequest) gBeforeMoneyRequest(request, amount, before);
        bool replied = false;
        MoneyOutcome outcome = MoveMoney(request, amount, before, &replied);
        if (outcome == MoneyOutcome::Booked) return outcome;
        if (outcome == MoneyOutcome::Uncertain) {
            WriteLog(
                "Prize payment uncertain: %d pence to the %s may have been paid; not sent "
                "again, compare with the credit service's ledger\n",
                static_cast<int>(amount), where);
            return outcome;
        }
        if (replied || attempt == 3) {
            WriteLog("Prize payment failed: %d pence to the %s not paid\n",
                     static_cast<int>(amount), where);
            return outcome;
        }
        WriteLog("Prize of %d pence to the %s was not booked: sending it again\n",
                 static_cast<int>(amount), where);
    }
}
