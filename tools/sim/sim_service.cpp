#include "sim_service.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/net_server.h"

namespace {
struct MemoryService {
    SocketHandle listener = InvalidSocket;
    std::thread thread;
    std::atomic<bool> stop{false};
    int64_t credit = 0, bank = 0;
};
MemoryService gService;

// A plain decimal amount from 1 to 100000, as the real service accepts.
bool ParseAmount(const std::string& text, int64_t& amount) {
    if (text.empty() || text.size() > 6 || text[0] == '0') return false;
    amount = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        amount = amount * 10 + (c - '0');
    }
    return amount >= 1 && amount <= 100000;
}

std::string Answer(const std::string& line) {
    std::string verb = line.substr(0, 4);
    int64_t n = 0;
    bool hasAmount = line.size() > 5 && line[4] == ',' && ParseAmount(line.substr(5), n);
    char reply[64];
    if (line == "CGET") {
        std::snprintf(reply, sizeof reply, "CTEL,%lld\r", static_cast<long long>(gService.credit));
    } else if (line == "BGET") {
        std::snprintf(reply, sizeof reply, "BTEL,%lld\r", static_cast<long long>(gService.bank));
    } else if (verb == "CUSE" && hasAmount && gService.credit + gService.bank >= n) {
        int64_t fromCredit = n < gService.credit ? n : gService.credit;
        gService.credit -= fromCredit;
        gService.bank -= n - fromCredit;
        std::snprintf(reply, sizeof reply, "CTEL,%lld\r", static_cast<long long>(gService.credit));
    } else if (verb == "BADD" && hasAmount) {
        gService.bank += n;
        std::snprintf(reply, sizeof reply, "BTEL,%lld\r", static_cast<long long>(gService.bank));
    } else if (verb == "CADD" && hasAmount) {
        gService.credit += n;
        std::snprintf(reply, sizeof reply, "CTEL,%lld\r", static_cast<long long>(gService.credit));
    } else if (line == "TERM") {
        return "";
    } else {
        std::snprintf(reply, sizeof reply, "FAIL,0\r");
    }
    return reply;
}

struct Client {
    SocketHandle socket;
    std::string pending;
};

void Serve() {
    std::vector<Client> clients;
    while (!gService.stop) {
        std::vector<SocketWait> waits{{gService.listener, false}};
        for (const Client& c : clients) waits.push_back({c.socket, false});
        if (WaitForSockets(waits.data(), waits.size(), 50) <= 0) continue;
        // Only the clients that were waited on are read; a new one joins after them.
        size_t waited = waits.size() - 1;
        for (size_t i = 0, w = 1; w <= waited; ++w) {
            if (!waits[w].ready) {
                ++i;
                continue;
            }
            char buffer[256];
            long n = ReadAvailable(clients[i].socket, buffer, sizeof buffer);
            if (n == 0 || n == -1) {
                CloseSocket(clients[i].socket);
                clients.erase(clients.begin() + static_cast<long>(i));
                continue;
            }
            if (n > 0) clients[i].pending.append(buffer, static_cast<size_t>(n));
            size_t end;
            while ((end = clients[i].pending.find('\n')) != std::string::npos) {
                std::string line = clients[i].pending.substr(0, end);
                clients[i].pending.erase(0, end + 1);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                std::string reply = Answer(line);
                if (!reply.empty()) SendOnSocket(clients[i].socket, reply.data(), reply.size());
            }
            ++i;
        }
        if (waits[0].ready) {
            SocketHandle s = AcceptConnection(gService.listener, nullptr);
            if (s != InvalidSocket) clients.push_back({s, ""});
        }
    }
    for (Client& c : clients) CloseSocket(c.socket);
}
}  // namespace

uint16_t StartMemoryService(int64_t credit, int64_t bank) {
    gService.credit = credit;
    gService.bank = bank;
    gService.listener = ListenOnLoopback(0);
    if (gService.listener == InvalidSocket) return 0;
    gService.stop = false;
    gService.thread = std::thread(Serve);
    return SocketLocalPort(gService.listener);
}

void StopMemoryService() {
    if (!gService.thread.joinable()) return;
    gService.stop = true;
    gService.thread.join();
    CloseSocket(gService.listener);
    gService.listener = InvalidSocket;
}
