// The game's link to the credit service: one TCP connection to 127.0.0.1:6667 for the whole run.
#pragma once
#include <cstdint>

#include "platform/net.h"

// The stake of one game in pence, and the least credit plus bank that can start one.
extern int16_t GameStake;

struct CreditLink {
    SocketHandle socket = InvalidSocket;
};
extern CreditLink gCreditLink;

// The service's port; the program always uses 6667, tests point it at their own service.
extern uint16_t CreditServicePort;
constexpr const char* CreditServiceAddress = "127.0.0.1";

// Start-up: makes the socket (false: exit code 1) and connects it (false: exit code 2).
bool CreateCreditSocket();
bool ConnectCreditService();
// Tells the service that the game is going away ("TERM\r\n"); no reply is read.
void SendTerm();
void CloseCreditLink();
