#include "platform/net.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "platform/headless.h"

void (*gBeforeSocketReceive)(SocketHandle, int) = nullptr;

namespace {
bool gFailNextOpen = false;
}

void StartSockets() {}

SocketHandle OpenTcpSocket() {
    if (gFailNextOpen) {
        gFailNextOpen = false;
        return InvalidSocket;
    }
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return fd < 0 ? InvalidSocket : fd;
}

bool ConnectSocket(SocketHandle s, const char* address, uint16_t port) {
    if (s < 0) return false;
    sockaddr_in addr;
    std::memset(&addr, 0, sizeof addr);
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (inet_pton(AF_INET, address, &addr.sin_addr) != 1) return false;
    int rc;
    do {
        rc = connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

long SendOnSocket(SocketHandle s, const void* data, size_t length) {
    if (s < 0) return -1;
    ssize_t n;
    do {
        n = send(s, data, length, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return static_cast<long>(n);
}

long ReceiveOnSocket(SocketHandle s, void* buffer, size_t capacity, int timeoutMs) {
    if (s < 0) return -1;
    if (gBeforeSocketReceive) gBeforeSocketReceive(s, timeoutMs);
    pollfd p{s, POLLIN, 0};
    int rc;
    do {
        rc = poll(&p, 1, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) return -1;
    if (rc == 0) return -2;
    ssize_t n;
    do {
        n = recv(s, buffer, capacity, 0);
    } while (n < 0 && errno == EINTR);
    return static_cast<long>(n);
}

void CloseSocket(SocketHandle s) {
    if (s >= 0) close(s);
}

void PauseBeforeRetry(int ms) {
    if (ms > 0) poll(nullptr, 0, ms);
}

void InjectSocketFault(bool failNextOpen) {
    gFailNextOpen = failNextOpen;
}
