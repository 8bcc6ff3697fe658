#pragma once

#include "platform/IPortView.h"
#include "port/IPortHost.h"
#include "port/PortHandler.h"
#include "support/ManualEventLoop.h"
#include "support/RecordingUi.h"
#include "support/SettableClock.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// A port that records what it writes; its transport is a flag.
class FakePort : public CPortHandler {
  public:
    using CPortHandler::CPortHandler;

    bool SetupNewPort() override;
    void Write(const char* data, int len) override {
        written.append(data, static_cast<std::size_t>(len));
    }
    void SavePortType(CSetupFile& setup) const override;
    void SaveKindSettings(CSetupFile& setup) const override;
    bool EditSetup() override;
    bool IsCalled() const override { return called; }
    std::size_t FullestOutputQueue() const override { return queued; }

    // Opens the link as a transport would: connected, link start, empty chunk.
    void ComeUp();
    // Ends the link as a transport would when the peer goes away.
    void GoDown();

    std::string written;
    int connectCalls = 0;
    bool called = false;
    // The bytes its slowest peer has not taken.
    std::size_t queued = 0;

  protected:
    void DoConnect() override;
    LinkEnd DoDisconnect() override { return LinkEnd::Now; }
};

// The document side of a port, for tests of ports and routers.
class FakePortHost : public IPortHost {
  public:
    IEventLoop& Loop() override { return loop; }
    const IClock& Clock() const override { return clock; }
    IUiServices& Ui() override { return ui; }
    std::vector<CPortHandler*> PortList() const override;
    bool IsPortNameUsed(const std::string& name) const override;
    void PostPortData(CPortHandler& port) override { portData.push_back(&port); }
    void PostPortCommand(CPortHandler& port, int id) override { commands.emplace_back(&port, id); }

    // Adds a named port with its own recording view.
    FakePort& AddPort(const std::string& name, int tncRole = CPortHandler::TncNone);
    RecordingPortView& ViewOf(std::size_t i) { return *views[i]; }
    // Routes every pending line of every port, as the document would.
    void RouteAll();

    ManualEventLoop loop;
    SettableClock clock;
    RecordingUi ui;
    std::vector<std::unique_ptr<RecordingPortView>> views;
    std::vector<std::unique_ptr<FakePort>> ports;
    std::vector<CPortHandler*> portData;
    std::vector<std::pair<CPortHandler*, int>> commands;
};
