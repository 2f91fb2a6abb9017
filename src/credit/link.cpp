#include "credit/link.h"

#include <cstring>

int16_t GameStake = 50;
CreditLink gCreditLink;
uint16_t CreditServicePort = 6667;

bool CreateCreditSocket() {
    StartSockets();
    gCreditLink.socket = OpenTcpSocket();
    return gCreditLink.socket != InvalidSocket;
}

bool ConnectCreditService() {
    return ConnectSocket(gCreditLink.socket, CreditServiceAddress, CreditServicePort);
}

void SendTerm() {
    static const char term[] = "TERM\r\n";
    SendOnSocket(gCreditLink.socket, term, std::strlen(term));
}

void CloseCreditLink() {
    CloseSocket(gCreditLink.socket);
    gCreditLink.socket = InvalidSocket;
}
