// The listening side of TCP on the loopback address, for the credit service and for tests that
// stand in for it: non-blocking listeners and connections waited on together.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/net.h"

// A non-blocking socket listening on 127.0.0.1:port (port 0: any free port); InvalidSocket when
// the port cannot be had.
SocketHandle ListenOnLoopback(uint16_t port);
// The local port a socket is bound to, or 0.
uint16_t SocketLocalPort(SocketHandle socket);
// Takes one waiting connection, made non-blocking, and names its peer "address:port";
// InvalidSocket when none is waiting or the accept failed.
SocketHandle AcceptConnection(SocketHandle listener, std::string* peer);

struct SocketWait {
    SocketHandle socket;
    bool ready;  // out: readable, closed by the peer, or in error
};
// Waits until at least one socket is ready or timeoutMs passes (-1: no limit); the number of
// ready sockets, 0 on time-out, -1 on error.
int WaitForSockets(SocketWait* waits, size_t count, int timeoutMs);
// Reads what has arrived without waiting: the count, 0 when the peer closed, -1 on error, -2 when
// nothing is there yet.
long ReadAvailable(SocketHandle socket, void* buffer, size_t capacity);
// Stops sending on a connection (the peer reads the end of the stream).
void ShutdownSending(SocketHandle socket);
