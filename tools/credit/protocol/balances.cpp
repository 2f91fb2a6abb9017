#include "balances.h"

bool BalancesAfter(const Request& request, const Balances& before, Balances* after) {
    *after = before;
    switch (request.verb) {
        case Verb::CreditUse: {
            if (before.credit + before.bank < request.amount) return false;
            int64_t fromCredit = before.credit < request.amount ? before.credit : request.amount;
            after->credit -= fromCredit;
            after->bank -= request.amount - fromCredit;
            return true;
        }
        case Verb::BankAdd:
            after->bank += request.amount;
            return after->bank <= LargestBalance;
        case Verb::CreditAdd:
            after->credit += request.amount;
            return after->credit <= LargestBalance;
        case Verb::BankPayout:
            // Only the amount the operator was shown is paid out: a bank that has moved since,
            // or a payout sent twice, is refused.
            if (before.bank != request.amount) return false;
            after->bank = 0;
            return true;
        default:
            return false;
    }
}

std::string BalanceReply(Verb verb, const Balances& balances) {
    bool bank = verb == Verb::BankGet || verb == Verb::BankAdd || verb == Verb::BankPayout;
    return std::string(bank ? "BTEL," : "CTEL,") +
           std::to_string(bank ? balances.bank : balances.credit) + "\r";
}

std::string AnswerInMemory(std::string_view line, Balances& balances) {
    Request request;
    const char* reason = "";
    if (!ParseRequest(line, &request, &reason)) return RefusalReply;
    if (request.verb == Verb::Term) return "";
    if (request.verb == Verb::CreditGet || request.verb == Verb::BankGet)
        return BalanceReply(request.verb, balances);
    Balances after;
    if (!BalancesAfter(request, balances, &after)) return RefusalReply;
    balances = after;
    return BalanceReply(request.verb, balances);
}
