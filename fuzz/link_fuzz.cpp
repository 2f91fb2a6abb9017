// The cabinet's credit link against a fake service that answers each request with the next piece
// of arbitrary bytes: replies cut at any point, run together, empty, over-long or junk, and the
// connection closed when the pieces run out. The link's requests are those the game makes.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "credit/link.h"
#include "credit/reconcile.h"
#include "fuzz_support.h"
#include "platform/net_server.h"
#include "records/audit.h"

namespace {
// The fake service: answers each request with the next piece, and sends the next piece anyway
// when no request has come for 5 ms, so that a link waiting for more of a reply is never kept to
// its time-out. A connection made again (to settle a late stake or prize) takes the pieces that
// are left. Once they run out it answers as a plain service would, with nothing booked.
struct FakeService {
    SocketHandle listener;
    std::vector<std::string> pieces;
    std::atomic<bool> done{false};
};

std::string PlainAnswer(std::string_view request) {
    if (request.empty() || request.substr(0, 4) == "TERM") return "";
    if (request.substr(0, 4) == "CGET") return "CTEL,0\r";
    if (request.substr(0, 4) == "BGET") return "BTEL,0\r";
    return "FAIL,0\r";
}

void AnswerWithPieces(FakeService& service) {
    SocketHandle peer = InvalidSocket;
    size_t next = 0;
    std::string unanswered;  // the last request that got no bytes back
    while (!service.done) {
        SocketWait waits[2] = {{service.listener, false}, {peer, false}};
        const int ready = WaitForSockets(waits, peer == InvalidSocket ? 1 : 2, 5);
        if (waits[0].ready) {
            SocketHandle again = AcceptConnection(service.listener, nullptr);
            if (again != InvalidSocket) {
                CloseSocket(peer);
                peer = again;
            }
        }
        if (peer == InvalidSocket) continue;
        char request[256];
        long n = 0;
        if (waits[1].ready) {
            n = ReadAvailable(peer, request, sizeof request);
            if (n == 0 || n == -1) {
                CloseSocket(peer);
                peer = InvalidSocket;
                continue;
            }
        } else if (ready > 0) {
            continue;
        }
        std::string answer = next < service.pieces.size() ? service.pieces[next++]
                             : n > 0
                                 ? PlainAnswer(std::string_view(request, static_cast<size_t>(n)))
                                 : "";
        if (!answer.empty()) SendOnSocket(peer, answer.data(), answer.size());
    }
    CloseSocket(peer);
}
}  // namespace

FUZZ_TARGET(Link) {
    EnterFuzzFolder();
    static SocketHandle listener = ListenOnLoopback(0);
    if (listener == InvalidSocket) std::abort();
    // A reply is waited for 20 ms (a few of the fake's pieces), a late one a few milliseconds
    // more, and the balances are asked again once: a peer that never answers costs little.
    CreditReplyTimeoutMs = 20;
    CreditLateReplyMs = 5;
    CreditReconnectMs = 0;
    FuzzInput in(data, size);
    std::vector<uint8_t> ops;
    for (int n = 1 + in.Byte() % 8; n > 0; --n) ops.push_back(in.Byte());
    FakeService fake;
    fake.listener = listener;
    while (in.Left() > 0 && fake.pieces.size() < 16)
        fake.pieces.emplace_back(in.Take(in.U16() % 5000));

    CreditServicePort = SocketLocalPort(listener);
    std::thread service(AnswerWithPieces, std::ref(fake));
    if (!CreateCreditSocket() || !ConnectCreditService()) std::abort();

    ResetAuditRecord();
    for (uint8_t op : ops) {
        const int16_t amount = static_cast<int16_t>((op >> 3) * 37 - 100);
        switch (op % 7) {
            case 0:
                QueryCredit();
                break;
            case 1:
                QueryBank();
                break;
            case 2:
                UseCredit(GameStake);
                break;
            case 3:
                AddBank(amount);
                break;
            case 4:
                AddCredit(amount);
                break;
            case 5:
                TakeStake();
                break;
            case 6:
                PayPrize(amount);
                break;
        }
        // The reply and its number are always terminated inside their buffers.
        if (!std::memchr(gCreditLink.reply, 0, sizeof gCreditLink.reply) ||
            !std::memchr(gCreditLink.valueText, 0, sizeof gCreditLink.valueText))
            std::abort();
    }
    SendTerm();
    CloseCreditLink();
    fake.done = true;
    service.join();
    return 0;
}
