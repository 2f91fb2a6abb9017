// The credit service's side of a connection: a byte stream cut into arbitrary reads, each read
// handed to the service's line answering over its real store. Whatever the bytes, no balance goes
// below zero, every change the service acknowledged is in the ledger exactly once with the
// balances it answered (the operator's payout among them), the ledger replayed gives the
// balances, and nothing else is booked.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "request.h"
#include "serve.h"
#include "store.h"

namespace {
std::unique_ptr<CreditStore> gStore;
int gRuns = 0;

// A fresh database now and then, so that the ledger does not grow without end.
CreditStore& Store() {
    if (!gStore || ++gRuns % 5000 == 0) {
        gStore.reset();
        std::error_code e;
        for (const char* f : {"credit.db", "credit.db-wal", "credit.db-shm"})
            std::filesystem::remove(f, e);
        gStore = std::make_unique<CreditStore>();
        std::string error;
        if (!gStore->Open("credit.db", false, &error)) std::abort();
    }
    return *gStore;
}

int64_t LastLedgerId(CreditStore& store) {
    std::vector<LedgerRow> rows;
    std::string error;
    if (!store.LastChanges(1, &rows, &error)) std::abort();
    return rows.empty() ? 0 : rows.back().id;
}

// The number after "CTEL," or "BTEL," of an acknowledgement; -1 for anything else.
int64_t Acknowledged(const std::string& reply, const char* tag) {
    if (reply.size() < 7 || reply.compare(0, 4, tag) != 0 || reply[4] != ',' ||
        reply.back() != '\r')
        return -1;
    return std::stoll(reply.substr(5, reply.size() - 6));
}

// The service's log goes to standard error; the harness keeps it quiet while the store answers.
struct QuietLog {
    QuietLog() {
        static int null = open("/dev/null", O_WRONLY);
        saved = dup(2);
        dup2(null, 2);
    }
    ~QuietLog() {
        dup2(saved, 2);
        close(saved);
    }
    int saved;
};
}  // namespace

FUZZ_TARGET(Service) {
    EnterFuzzFolder();
    CreditStore& store = Store();
    Balances start;
    if (!store.Read(&start)) std::abort();
    const int64_t firstId = LastLedgerId(store);

    // The reads as the service would get them (it reads again only once no whole line waits),
    // a few lines answered a turn, and what it answered.
    FuzzInput in(data, size);
    std::string stream, pending;
    std::vector<std::string> replies;
    LinesResult result = LinesResult::Open;
    {
        QuietLog quiet;
        while (result == LinesResult::Open) {
            if (pending.find('\n') == std::string::npos) {
                if (in.Left() == 0) break;
                std::string_view read = in.Take(1 + in.Byte() % 96);
                stream.append(read);
                pending.append(read);
            }
            auto send = [&replies](const std::string& reply) {
                replies.push_back(reply);
                return true;
            };
            result = AnswerLines(store, pending, "127.0.0.1:1", send, 8);
        }
    }
    if (result == LinesResult::SendFailed) std::abort();

    // The same stream split into lines at once: each answered line has one reply in order
    // (TERM none); an over-long line ends the answering with its refusal.
    std::vector<LedgerRow> expected;
    size_t next = 0, at = 0, end;
    while ((end = stream.find('\n', at)) != std::string::npos) {
        std::string_view line(stream.data() + at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > LongestRequestLine) break;
        Request request;
        const char* reason = "";
        const bool valid = ParseRequest(line, &request, &reason);
        if (valid && request.verb == Verb::Term) continue;
        if (next >= replies.size()) std::abort();
        const std::string& reply = replies[next++];
        if (!valid || request.verb == Verb::CreditGet || request.verb == Verb::BankGet) continue;
        const bool bank = request.verb == Verb::BankAdd || request.verb == Verb::BankPayout;
        const char* tag = bank ? "BTEL" : "CTEL";
        const int64_t value = Acknowledged(reply, tag);
        if (value < 0) {
            if (reply != "FAIL,0\r") std::abort();
            continue;
        }
        LedgerRow row;
        row.request = VerbName(request.verb);
        row.amount = request.amount;
        (bank ? row.bank : row.credit) = value;
        expected.push_back(row);
    }
    const size_t refusals = result == LinesResult::LineTooLong ? 1 : 0;
    if (next + refusals != replies.size()) std::abort();
    if (refusals && replies.back() != "FAIL,0\r") std::abort();

    // The ledger holds exactly the acknowledged changes, and replays to the balances.
    std::vector<LedgerRow> rows;
    std::string error;
    if (!store.LastChanges(static_cast<int64_t>(expected.size()) + 1, &rows, &error)) std::abort();
    while (!rows.empty() && rows.front().id <= firstId) rows.erase(rows.begin());
    if (rows.size() != expected.size()) std::abort();
    Balances b = start;
    for (size_t i = 0; i < rows.size(); ++i) {
        const LedgerRow& r = rows[i];
        if (r.request != expected[i].request || r.amount != expected[i].amount) std::abort();
        if (r.request == "CADD") b.credit += r.amount;
        if (r.request == "BADD") b.bank += r.amount;
        if (r.request == "PAYO") b.bank -= r.amount;
        if (r.request == "CUSE") {
            const int64_t fromCredit = b.credit < r.amount ? b.credit : r.amount;
            b.credit -= fromCredit;
            b.bank -= r.amount - fromCredit;
        }
        if (b.credit < 0 || b.bank < 0 || r.credit != b.credit || r.bank != b.bank) std::abort();
        const bool bank = r.request == "BADD" || r.request == "PAYO";
        if (bank ? expected[i].bank != b.bank : expected[i].credit != b.credit) std::abort();
    }
    Balances now;
    if (!store.Read(&now) || now.credit != b.credit || now.bank != b.bank) std::abort();
    return 0;
}
