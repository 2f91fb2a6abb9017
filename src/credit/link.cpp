#include "credit/link.h"

#include <cstdio>
#include <cstring>

#include "credit/reconcile.h"
#include "records/audit.h"
#include "records/log.h"

int16_t GameStake = 50;
int gCreditReplyTimeoutMs = 2000;
CreditLink gCreditLink;
uint16_t gCreditServicePort = 6667;

namespace {
// Throws away bytes that arrived outside an exchange (a reply that came after its time-out), so
// that they are never read as the reply to the next request.
void DiscardLateReplies() {
    char scrap[256];
    for (int i = 0; i < 64; ++i)
        if (ReceiveOnSocket(gCreditLink.socket, scrap, sizeof scrap, 0) <= 0) return;
}

// One exchange: sends the request line and reads one reply tagged `tag` with a comma after it.
// On success the text after the comma is in valueText.
bool Exchange(const char* tag) {
    return SendRequestLine() && AwaitReply(tag, gCreditReplyTimeoutMs) == ReplyWait::Matched;
}

// The reply's number: blanks skipped, an optional sign, then digits; false when there is no
// number or it lies outside 0..65535.
bool ReplyNumber(const char* text, uint16_t* value) {
    while (*text == ' ' || *text == '\t') ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    if (*text < '0' || *text > '9') return false;
    uint32_t v = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        v = v * 10 + static_cast<uint32_t>(*text - '0');
        if (v > 0xFFFF) return false;
    }
    if (negative && v != 0) return false;
    *value = static_cast<uint16_t>(v);
    return true;
}

uint16_t Query(const char* line, const char* tag) {
    std::snprintf(gCreditLink.request, sizeof gCreditLink.request, "%s", line);
    uint16_t value = 0;
    if (!Exchange(tag) || !ReplyNumber(gCreditLink.valueText, &value)) return CreditQueryFailed;
    return value;
}

bool Change(const char* verb, int32_t amount, const char* tag) {
    std::snprintf(gCreditLink.request, sizeof gCreditLink.request, "%s,%d\r\n", verb,
                  static_cast<int>(amount));
    return Exchange(tag);
}

uint16_t Shown(uint16_t value) {
    return value >= CreditShownLimit ? 0 : value;
}
}  // namespace

bool SendRequestLine() {
    CreditLink& link = gCreditLink;
    link.valueText[0] = '\0';
    link.reply[0] = '\0';
    DiscardLateReplies();
    size_t length = std::strlen(link.request);
    return SendOnSocket(link.socket, link.request, length) == static_cast<long>(length);
}

ReplyWait AwaitReply(const char* tag, int timeoutMs) {
    CreditLink& link = gCreditLink;
    link.valueText[0] = '\0';
    link.receiveCount = ReceiveOnSocket(link.socket, link.reply, sizeof link.reply - 1, timeoutMs);
    if (link.receiveCount == -2) {
        link.reply[0] = '\0';
        return ReplyWait::TimedOut;
    }
    if (link.receiveCount <= 0) {
        link.reply[0] = '\0';
        return ReplyWait::Lost;
    }
    link.reply[link.receiveCount] = '\0';
    if (link.receiveCount < 4 || std::memcmp(link.reply, tag, 4) != 0) return ReplyWait::Other;
    char* comma = std::strchr(link.reply, ',');
    if (!comma) return ReplyWait::Other;
    *comma = '\0';
    std::snprintf(link.valueText, sizeof link.valueText, "%s", comma + 1);
    return ReplyWait::Matched;
}

bool CreateCreditSocket() {
    StartSockets();
    gCreditLink.socket = OpenTcpSocket();
    return gCreditLink.socket != InvalidSocket;
}

bool ConnectCreditService() {
    return ConnectSocket(gCreditLink.socket, CreditServiceAddress, gCreditServicePort);
}

void SendTerm() {
    static const char term[] = "TERM\r\n";
    SendOnSocket(gCreditLink.socket, term, std::strlen(term));
}

void CloseCreditLink() {
    CloseSocket(gCreditLink.socket);
    gCreditLink.socket = InvalidSocket;
}

uint16_t QueryCredit() {
    return Query("CGET\r\n", "CTEL");
}
uint16_t QueryBank() {
    return Query("BGET\r\n", "BTEL");
}
bool UseCredit(int32_t amount) {
    return Change("CUSE", amount, "CTEL");
}
bool AddBank(int32_t amount) {
    return Change("BADD", amount, "BTEL");
}
bool AddCredit(int32_t amount) {
    return Change("CADD", amount, "CTEL");
}

uint16_t CurrentCredit() {
    return Shown(QueryCredit());
}
uint16_t CurrentBank() {
    return Shown(QueryBank());
}

bool TakeStake() {
    // The balances before the stake, to learn its outcome should its reply not come; a service
    // that cannot tell them is not asked for the stake.
    CreditBalances before = ReadBalances();
    if (!before.known) return false;
    if (gBeforeMoneyRequest) gBeforeMoneyRequest(MoneyRequest::UseCredit, GameStake, before);
    bool replied = true;
    MoneyOutcome outcome = MoveMoney(MoneyRequest::UseCredit, GameStake, before, &replied);
    if (outcome == MoneyOutcome::NotBooked) {
        if (!replied)
            WriteLog("Stake of %d pence not taken: the player keeps the money\n", GameStake);
        return false;
    }
    if (!replied)
        WriteLog(
            outcome == MoneyOutcome::Booked
                ? "Stake of %d pence taken: the game goes ahead\n"
                : "Stake of %d pence may have been taken: counted as taken, the game goes ahead\n",
            GameStake);
    CountStake(QueryBank());
    return true;
}

void CountStake(uint16_t bank) {
    AddToBalance(0, -(GameStake * 25) / 100.0f);
    BumpCounter(CounterGamesBought);
    if (bank < 500)
        BumpCounter(CounterBoughtWithBankUnder500);
    else if (bank < 1000)
        BumpCounter(CounterBoughtWithBank500To999);
    else
        BumpCounter(CounterBoughtWithBank1000Up);
}

namespace {
MoneyOutcome gLastPrizeOutcome = MoneyOutcome::Booked;

// The worse of two outcomes: a part not paid outweighs one that may not have been.
MoneyOutcome Worse(MoneyOutcome a, MoneyOutcome b) {
    auto rank = [](MoneyOutcome o) {
        return o == MoneyOutcome::NotBooked ? 2 : (o == MoneyOutcome::Uncertain ? 1 : 0);
    };
    return rank(b) > rank(a) ? b : a;
}
}  // namespace

void PayPrize(int16_t amount) {
    gLastPrizeOutcome = MoneyOutcome::Booked;
    if (amount == 0) return;
    if (amount < 0) {
        WriteLog("Prize of %d pence not paid: not a prize\n", amount);
        gLastPrizeOutcome = MoneyOutcome::NotBooked;
        return;
    }
    int pounds = (amount / 100) * 100;
    int pence = amount % 100;
    if (pounds > 0)
        gLastPrizeOutcome = Worse(gLastPrizeOutcome, PayPrizePart(MoneyRequest::AddBank, pounds));
    if (pence > 0)
        gLastPrizeOutcome = Worse(gLastPrizeOutcome, PayPrizePart(MoneyRequest::AddCredit, pence));
}

MoneyOutcome LastPrizeOutcome() {
    return gLastPrizeOutcome;
}

MoneyOutcome CombinePrizeOutcomes(MoneyOutcome a, MoneyOutcome b) {
    return Worse(a, b);
}
