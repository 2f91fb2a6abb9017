#include "platform/net_server.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <vector>

SocketHandle ListenOnLoopback(uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return InvalidSocket;
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr;
    std::memset(&addr, 0, sizeof addr);
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 64) != 0) {
        close(fd);
        return InvalidSocket;
    }
    return fd;
}

uint16_t SocketLocalPort(SocketHandle s) {
    sockaddr_in addr;
    socklen_t length = sizeof addr;
    if (s < 0 || getsockname(s, reinterpret_cast<sockaddr*>(&addr), &length) != 0) return 0;
    return ntohs(addr.sin_port);
}

SocketHandle AcceptConnection(SocketHandle listener, std::string* peer) {
    if (listener < 0) return InvalidSocket;
    sockaddr_in addr;
    socklen_t length = sizeof addr;
    int fd;
    do {
        fd = accept4(listener, reinterpret_cast<sockaddr*>(&addr), &length,
                     SOCK_CLOEXEC | SOCK_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return InvalidSocket;
    // Replies are single small writes that the peer waits for: send them at once.
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (peer) {
        char text[INET_ADDRSTRLEN] = "?";
        inet_ntop(AF_INET, &addr.sin_addr, text, sizeof text);
        *peer = std::string(text) + ":" + std::to_string(ntohs(addr.sin_port));
    }
    return fd;
}

int WaitForSockets(SocketWait* waits, size_t count, int timeoutMs) {
    std::vector<pollfd> fds(count);
    for (size_t i = 0; i < count; ++i) fds[i] = pollfd{waits[i].socket, POLLIN, 0};
    int rc;
    do {
        rc = poll(fds.data(), fds.size(), timeoutMs);
    } while (rc < 0 && errno == EINTR);
    for (size_t i = 0; i < count; ++i) waits[i].ready = rc > 0 && fds[i].revents != 0;
    return rc < 0 ? -1 : rc;
}

long ReadAvailable(SocketHandle s, void* buffer, size_t capacity) {
    if (s < 0) return -1;
    ssize_t n;
    do {
        n = recv(s, buffer, capacity, MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return (errno == EAGAIN || errno == EWOULDBLOCK) ? -2 : -1;
    return static_cast<long>(n);
}

void ShutdownSending(SocketHandle s) {
    if (s >= 0) shutdown(s, SHUT_WR);
}
