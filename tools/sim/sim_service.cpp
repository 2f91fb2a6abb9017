#include "sim_service.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "balances.h"
#include "platform/net_server.h"

namespace {
struct MemoryService {
    SocketHandle listener = InvalidSocket;
    std::thread thread;
    std::atomic<bool> stop{false};
    Balances balances;
};
MemoryService gService;

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
                std::string reply = AnswerInMemory(line, gService.balances);
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
    gService.balances = Balances{credit, bank};
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
