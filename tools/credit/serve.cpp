#include "serve.h"

#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/net_server.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr const char* Refusal = RefusalReply;
constexpr size_t ReadChunk = 4096;
// Whole lines answered for one client before the others get their turn, so that a client that
// sends many lines at once holds nobody up.
constexpr int LinesPerTurn = 8;

struct Client {
    SocketHandle socket = InvalidSocket;
    std::string peer;
    std::string pending;  // bytes not yet answered: whole lines, then a line not yet ended
    bool closing = false;
    Clock::time_point lineStarted;  // when the line not yet ended began
};

bool HasWholeLine(const Client& client) {
    return client.pending.find('\n') != std::string::npos;
}

void LogRefusal(const std::string& client, std::string_view line, const char* reason) {
    LogLine(client + " refused \"" + PrintableLine(line) + "\": " + reason);
}

// Sends a reply whole in one write; a client that cannot take it is dropped.
void SendReply(Client& client, const std::string& reply) {
    if (SendOnSocket(client.socket, reply.data(), reply.size()) !=
        static_cast<long>(reply.size())) {
        LogLine(client.peer + " dropped: the reply could not be sent whole");
        client.closing = true;
    }
}

// Ends the connection after an over-long line, reading what is left of the line first so that
// the refusal reaches the client before the connection goes.
void EndAfterLongLine(Client& client) {
    ShutdownSending(client.socket);
    char scrap[ReadChunk];
    for (int i = 0; i < 16 && ReadAvailable(client.socket, scrap, sizeof scrap) > 0; ++i) {
    }
    client.closing = true;
}

// Answers the whole lines in the client's pending bytes, at most LinesPerTurn of them.
void AnswerPendingLines(CreditStore& store, Client& client) {
    auto send = [&client](const std::string& reply) {
        SendReply(client, reply);
        return !client.closing;
    };
    int answered = 0;
    switch (AnswerLines(store, client.pending, client.peer, send, LinesPerTurn, &answered)) {
        case LinesResult::Open:
            break;
        case LinesResult::SendFailed:
            client.closing = true;
            break;
        case LinesResult::LineTooLong:
            EndAfterLongLine(client);
            break;
    }
    if (answered > 0) client.lineStarted = Clock::now();
}

// Reads what the client sent, unless it still has whole lines waiting for their turn.
void ReadFrom(CreditStore& store, Client& client) {
    if (!HasWholeLine(client)) {
        char chunk[ReadChunk];
        long n = ReadAvailable(client.socket, chunk, sizeof chunk);
        if (n == -2) return;
        if (n <= 0) {
            client.closing = true;
            return;
        }
        if (client.pending.empty()) client.lineStarted = Clock::now();
        client.pending.append(chunk, static_cast<size_t>(n));
    }
    AnswerPendingLines(store, client);
}

// A line begun but not ended within LineTimeLimitMs is refused and its connection ended, so that
// slow writers cannot keep connections for ever.
void EndSlowLine(Client& client, Clock::time_point now) {
    if (client.closing || client.pending.empty() || HasWholeLine(client)) return;
    if (now - client.lineStarted < std::chrono::milliseconds(LineTimeLimitMs)) return;
    LogRefusal(client.peer, client.pending, "line not ended in time");
    SendReply(client, Refusal);
    client.closing = true;
}

// How long the service may wait for the sockets: not at all while whole lines wait for their
// turn, until the first unfinished line runs out of time, or without limit.
int WaitLimitMs(const std::vector<Client>& clients, Clock::time_point now) {
    int limit = -1;
    for (const Client& c : clients) {
        if (c.pending.empty()) continue;
        if (HasWholeLine(c)) return 0;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        c.lineStarted + std::chrono::milliseconds(LineTimeLimitMs) - now)
                        .count();
        int ms = left < 1 ? 1 : static_cast<int>(left) + 1;
        if (limit < 0 || ms < limit) limit = ms;
    }
    return limit;
}

void AcceptWaiting(SocketHandle listener, std::vector<Client>& clients) {
    for (int i = 0; i < 16; ++i) {
        std::string peer;
        SocketHandle s = AcceptConnection(listener, &peer);
        if (s == InvalidSocket) return;
        if (clients.size() >= MostClients) {
            LogLine(peer + " refused: too many connections");
            CloseSocket(s);
            continue;
        }
        LogLine(peer + " connected");
        clients.push_back(Client{s, peer, {}, false, Clock::now()});
    }
}
}  // namespace

void LogLine(const std::string& text) {
    std::fprintf(stderr, "%s %s\n", UtcNow().c_str(), text.c_str());
    std::fflush(stderr);
}

std::string AnswerRequest(CreditStore& store, std::string_view line, const std::string& client) {
    Request request;
    const char* reason = "";
    if (!ParseRequest(line, &request, &reason)) {
        LogRefusal(client, line, reason);
        return Refusal;
    }
    Balances balances;
    switch (request.verb) {
        case Verb::Term:
            LogLine(client + " TERM: the game has ended");
            return "";
        case Verb::CreditGet:
        case Verb::BankGet:
            if (!store.Read(&balances)) {
                LogRefusal(client, line, "the balances cannot be read");
                return Refusal;
            }
            return BalanceReply(request.verb, balances);
        default:
            break;
    }
    std::string error;
    switch (store.Apply(request, client, &balances, &error)) {
        case ChangeResult::Done:
            LogLine(client + " " + PrintableLine(line) + ": credit " +
                    std::to_string(balances.credit) + ", bank " + std::to_string(balances.bank));
            return BalanceReply(request.verb, balances);
        case ChangeResult::Refused:
            LogRefusal(client, line,
                       request.verb == Verb::CreditUse    ? "credit and bank too low"
                       : request.verb == Verb::BankPayout ? "the bank does not hold that amount"
                                                          : "the balance would pass its limit");
            return Refusal;
        case ChangeResult::StorageFailed:
            LogRefusal(client, line, ("storage failed: " + error).c_str());
            return Refusal;
    }
    return Refusal;
}

LinesResult AnswerLines(CreditStore& store, std::string& pending, const std::string& client,
                        const std::function<bool(const std::string&)>& send, int most,
                        int* answered) {
    LinesResult result = LinesResult::Open;
    size_t start = 0;
    size_t end;
    int count = 0;
    for (; count < most && (end = pending.find('\n', start)) != std::string::npos; ++count) {
        std::string_view line(pending.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > LongestRequestLine) {
            result = LinesResult::LineTooLong;
            LogRefusal(client, line, "line longer than 64 bytes");
            send(Refusal);
            break;
        }
        std::string reply = AnswerRequest(store, line, client);
        if (!reply.empty() && !send(reply)) {
            result = LinesResult::SendFailed;
            ++count;
            break;
        }
    }
    if (answered) *answered = count;
    pending.erase(0, start);
    // A line still without its end that is already too long: more than 64 bytes, unless the
    // 65th is the carriage return of its line end.
    if (result == LinesResult::Open && pending.find('\n') == std::string::npos &&
        pending.size() > LongestRequestLine &&
        (pending.size() > LongestRequestLine + 1 || pending.back() != '\r')) {
        result = LinesResult::LineTooLong;
        LogRefusal(client, pending, "line longer than 64 bytes");
        send(Refusal);
    }
    return result;
}

int Serve(CreditStore& store, const std::string& dbPath, uint16_t port) {
    SocketHandle listener = ListenOnLoopback(port);
    if (listener == InvalidSocket) {
        LogLine("cannot listen on 127.0.0.1:" + std::to_string(port));
        return 1;
    }
    Balances balances;
    store.Read(&balances);
    LogLine("listening on 127.0.0.1:" + std::to_string(SocketLocalPort(listener)) + " with " +
            dbPath + " (credit " + std::to_string(balances.credit) + ", bank " +
            std::to_string(balances.bank) + ")");
    std::vector<Client> clients;
    std::vector<SocketWait> waits;
    for (;;) {
        waits.assign(1, SocketWait{listener, false});
        for (const Client& c : clients) waits.push_back(SocketWait{c.socket, false});
        if (WaitForSockets(waits.data(), waits.size(), WaitLimitMs(clients, Clock::now())) < 0) {
            LogLine("waiting on the connections failed");
            CloseSocket(listener);
            return 1;
        }
        for (size_t i = 1; i < waits.size(); ++i)
            if (waits[i].ready || HasWholeLine(clients[i - 1])) ReadFrom(store, clients[i - 1]);
        Clock::time_point now = Clock::now();
        for (Client& c : clients) EndSlowLine(c, now);
        for (Client& c : clients)
            if (c.closing) CloseSocket(c.socket);
        std::erase_if(clients, [](const Client& c) { return c.closing; });
        if (waits[0].ready) AcceptWaiting(listener, clients);
    }
}
