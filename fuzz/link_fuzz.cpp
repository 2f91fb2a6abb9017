// The cabinet's credit link against a fake service of arbitrary bytes: replies cut at any point,
// run together, empty, over-long, junk or late, bytes that come between two exchanges, and the
// connection closed when the bytes run out. The link's requests are those the game makes, over a
// real loopback connection; the fake serves its end in the same thread, just before each receive
// of the link, so that nothing waits on a clock.
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "credit/link.h"
#include "credit/reconcile.h"
#include "fuzz_support.h"
#include "platform/headless.h"
#include "platform/net_server.h"
#include "records/audit.h"

namespace {
// A piece of the fake's bytes goes out either as the reply to the next request, or unasked once
// the link has tried to receive `after` more times (a late reply, or bytes run together with the
// one before). A connection made again (to settle a late stake or prize) takes the pieces that
// are left. Once they run out the fake answers as a plain service would, with nothing booked.
struct Piece {
    bool unasked;
    int after;
    std::string bytes;
};

struct FakeService {
    SocketHandle listener = InvalidSocket;
    SocketHandle peer = InvalidSocket;
    std::vector<Piece> pieces;
    size_t next = 0;
    int receives = 0;  // the link's receives since the last piece went out
};
FakeService gFake;

std::string PlainAnswer(std::string_view request) {
    if (request.empty() || request.substr(0, 4) == "TERM") return "";
    if (request.substr(0, 4) == "CGET") return "CTEL,0\r";
    if (request.substr(0, 4) == "BGET") return "BTEL,0\r";
    return "FAIL,0\r";
}

void CloseFakePeer() {
    CloseSocket(gFake.peer);
    gFake.peer = InvalidSocket;
}

// Runs before every receive of the link: takes a connection made since, reads the request that
// came, and sends what is due.
void ServeBeforeReceive(SocketHandle, int) {
    FakeService& fake = gFake;
    for (SocketHandle again; (again = AcceptConnection(fake.listener, nullptr)) != InvalidSocket;) {
        CloseFakePeer();
        fake.peer = again;
    }
    if (fake.peer == InvalidSocket) return;
    char request[256];
    const long n = ReadAvailable(fake.peer, request, sizeof request);
    if (n == 0 || n == -1) return CloseFakePeer();
    ++fake.receives;
    std::string answer;
    while (fake.next < fake.pieces.size()) {
        const Piece& piece = fake.pieces[fake.next];
        if (piece.unasked ? fake.receives <= piece.after : n <= 0) break;
        answer += piece.bytes;
        ++fake.next;
        fake.receives = 0;
        if (!piece.unasked) break;
    }
    if (answer.empty() && fake.next == fake.pieces.size() && n > 0)
        answer = PlainAnswer(std::string_view(request, static_cast<size_t>(n)));
    if (!answer.empty()) SendOnSocket(fake.peer, answer.data(), answer.size());
}
}  // namespace

FUZZ_TARGET(Link) {
    EnterFuzzFolder();
    if (gFake.listener == InvalidSocket) gFake.listener = ListenOnLoopback(0);
    if (gFake.listener == InvalidSocket) std::abort();
    // Only bytes already sent count as a reply (the fake sends before the link looks), late ones
    // included, and the balances are asked again once.
    gCreditReplyTimeoutMs = 0;
    gCreditLateReplyMs = 0;
    gCreditReconnectMs = 0;
    FuzzInput in(data, size);
    std::vector<uint8_t> ops;
    for (int n = 1 + in.Byte() % 8; n > 0; --n) ops.push_back(in.Byte());
    gFake.pieces.clear();
    gFake.next = 0;
    gFake.receives = 0;
    while (in.Left() > 0 && gFake.pieces.size() < 16) {
        const uint8_t when = in.Byte();
        gFake.pieces.push_back(
            Piece{(when & 0x80) != 0, when & 3, std::string(in.Take(in.U16() % 5000))});
    }

    gCreditServicePort = SocketLocalPort(gFake.listener);
    gBeforeSocketReceive = ServeBeforeReceive;
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
    gBeforeSocketReceive = nullptr;
    // The fake's end closes first, and any connection it never took with it.
    CloseFakePeer();
    for (SocketHandle left; (left = AcceptConnection(gFake.listener, nullptr)) != InvalidSocket;)
        CloseSocket(left);
    CloseCreditLink();
    // Nothing of the input is kept: an input that keeps memory is run again to look for a leak.
    gFake.pieces.clear();
    return 0;
}
