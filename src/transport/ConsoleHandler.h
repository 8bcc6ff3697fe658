#pragma once

#include "port/PortHandler.h"

struct PortKind;

// The console port ("CON"): the operator's own terminal. It has no
// transport: what is routed to it is shown in its view, connected or not,
// and a typed line enters its ring buffer as if received, is routed by its
// router (data type "Command" by default) and is echoed, framed, in its view.
// Typed lines arrive only while it is connected, because only then is the
// view's input attached to it.
//
// The link has the life cycle of the other ports (link start on connect,
// link end with the reconnect wait on disconnect) so that its connect
// script and automatic reconnection work the same way.
class CConsoleHandler : public CPortHandler {
  public:
    CConsoleHandler(IPortHost& host, IPortView& view);
    CConsoleHandler(CSetupFile& setup, IPortHost& host, IPortView& view);

    bool SetupNewPort() override;
    void Write(const char* data, int len) override;
    void SavePortType(CSetupFile& setup) const override;
    bool TalksToPeer() const override { return false; }
    void SaveKindSettings(CSetupFile& setup) const override;
    bool EditSetup() override;
    // A typed line, without its line end.
    void SendLine(std::string_view text) override;

  protected:
    void DoConnect() override;
    LinkEnd DoDisconnect() override;

  private:
    // The kind's row: its "PortType", a new port's name and data type.
    static const PortKind& Kind();
};
