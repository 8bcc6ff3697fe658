#pragma once

#include "routing/WsjtxSpotMaker.h"
#include "transport/NetPort.h"
#include "transport/WsjtxListener.h"

#include <cstdint>
#include <string>

// The port of the station's digital-mode receivers ("WSJTX"): it listens
// for their UDP datagrams, makes spots of their decodes and hands each one
// to its router as a "DX de" line, which the router routes like a cluster
// user's spot. It writes nothing.
//
// Connect binds the listener ("Port connected"); a failure is a line
// naming host:port and the reason. The receivers' own lines (a new client,
// the counts each minute) go into the port window.
//
// Collaborators: the listener (socket, reader), the spot maker (the
// options below, and the router's MyCall at Connect as the spotter until a
// receiver has sent its Status), the spot formatter (the "DX de" line).
class CWsjtxHandler : public CNetPort, private IWsjtxOutput {
  public:
    CWsjtxHandler(IPortHost& host, IPortView& view);
    // Reads the common block, then "HostName", "PortNumber" and the
    // optional "WsjtxSpotAll", "WsjtxRepeat" and "WsjtxOffAir".
    CWsjtxHandler(CSetupFile& setup, IPortHost& host, IPortView& view);
    ~CWsjtxHandler() override;

    void Write(const char* data, int len) override;
    // It only listens: no prompts to answer, and UDP has no link to lose.
    bool TalksToPeer() const override { return false; }
    void SaveKindSettings(CSetupFile& setup) const override;

    std::string HostName = "127.0.0.1";
    std::uint16_t PortNumber = CWsjtxListener::DefaultPort;
    const WsjtxOptions& Options() const { return m_options; }
    // The UDP port the listener took (a setup's port 0 takes a free one).
    std::uint16_t LocalPort() const { return m_listener.LocalPort(); }

  protected:
    const PortKind& Kind() const override { return PortKinds::Of(PortKindCode::Wsjtx); }
    Fields KindFields() const override;
    void ApplyKindFields(const PortSetupValues& values) override;

    void DoConnect() override;
    LinkEnd DoDisconnect() override;

  private:
    void WsjtxSpot(const SpotFields& spot) override;
    void WsjtxLine(std::string_view line) override;
    void SetRepeatMinutes(int minutes);

    WsjtxOptions m_options;
    CWsjtxSpotMaker m_maker;
    CWsjtxListener m_listener;
};
