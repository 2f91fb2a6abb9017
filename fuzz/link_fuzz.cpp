// The cabinet's credit link against a fake service that answers each request with the next piece
// of arbitrary bytes: replies cut at any point, run together, empty, over-long or junk, and the
// connection closed when the pieces run out. The link's requests are those the game makes.
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "credit/link.h"
#include "fuzz_support.h"
#include "platform/net_server.h"
#include "records/audit.h"

namespace {
// Answers each request with the next piece; a piece is also sent when no request has come for
// 5 ms, so that a link waiting for more of a reply is never kept to its time-out.
void AnswerWithPieces(SocketHandle peer, const std::vector<std::string>& pieces) {
    for (const std::string& piece : pieces) {
        SocketWait wait{peer, false};
        if (WaitForSockets(&wait, 1, 5) > 0) {
            char request[256];
            if (ReadAvailable(peer, request, sizeof request) == 0) break;
        }
        if (!piece.empty() && SendOnSocket(peer, piece.data(), piece.size()) < 0) break;
    }
    CloseSocket(peer);
}
}  // namespace

FUZZ_TARGET(Link) {
    EnterFuzzFolder();
    static SocketHandle listener = ListenOnLoopback(0);
    if (listener == InvalidSocket) std::abort();
    FuzzInput in(data, size);
    std::vector<uint8_t> ops;
    for (int n = 1 + in.Byte() % 8; n > 0; --n) ops.push_back(in.Byte());
    std::vector<std::string> pieces;
    while (in.Left() > 0 && pieces.size() < 16) pieces.emplace_back(in.Take(in.U16() % 5000));

    CreditServicePort = SocketLocalPort(listener);
    if (!CreateCreditSocket() || !ConnectCreditService()) std::abort();
    SocketHandle peer = InvalidSocket;
    for (int i = 0; i < 1000 && peer == InvalidSocket; ++i) {
        SocketWait wait{listener, false};
        WaitForSockets(&wait, 1, 10);
        peer = AcceptConnection(listener, nullptr);
    }
    if (peer == InvalidSocket) std::abort();
    std::thread service(AnswerWithPieces, peer, pieces);

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
    service.join();
    return 0;
}
