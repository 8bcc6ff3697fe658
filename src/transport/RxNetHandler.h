#pragma once

#include "transport/SocketPort.h"

class QTcpServer;

// The telnet server port ("RXTEL"): listens on a TCP address and lets one
// outside station call in; the caller's traffic flows as the client's does.
//
// Listening counts as connected (no line is written); text sent while no one
// has called is dropped without a word. Each accepted caller starts the
// connect script from its first step. A newer caller replaces the older one,
// whose connection is closed. When the caller hangs up the whole port
// disconnects ("Port disconnected"); the connect script's automatic
// reconnection decides when it listens again.
class CRxNetHandler : public CSocketPort {
public:
    CRxNetHandler(IPortHost& host, IPortView& view);
    CRxNetHandler(CSetupFile& setup, IPortHost& host, IPortView& view);
    ~CRxNetHandler() override;

    bool HasCaller() const { return m_caller != nullptr; }
    bool IsCalled() const override { return true; }

protected:
    const char* Kind() const override { return "RXTEL"; }
    void OpenTransport(const QHostAddress& address) override;
    void CloseTransport() override;
    QTcpSocket* Stream() const override { return m_caller; }

private:
    void Accept();

    QTcpServer* m_server = nullptr;
    QTcpSocket* m_caller = nullptr;
};
