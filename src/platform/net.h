// TCP sockets, as the credit link uses them: one connection to a local service.
#pragma once
#include <cstddef>
#include <cstdint>

using SocketHandle = int;
constexpr SocketHandle InvalidSocket = -1;

// Starts the sockets layer; nothing is needed here, kept for the start-up order.
void StartSockets();
// A new TCP socket, or InvalidSocket.
SocketHandle OpenTcpSocket();
// Connects to an IPv4 address in dotted form; false on failure.
bool ConnectSocket(SocketHandle socket, const char* address, uint16_t port);
// Sends the bytes in one call; the count sent, or -1.
long SendOnSocket(SocketHandle socket, const void* data, size_t length);
// Receives what arrives in one call, waiting at most timeoutMs: the count (0 when the peer
// closed), -1 on error, -2 when nothing came in time.
long ReceiveOnSocket(SocketHandle socket, void* buffer, size_t capacity, int timeoutMs);
void CloseSocket(SocketHandle socket);
// Waits ms milliseconds of real time, between two attempts to reach a service.
void PauseBeforeRetry(int ms);
