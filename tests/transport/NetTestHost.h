#pragma once

#include "platform/qt/QtEventLoop.h"
#include "port/IPortHost.h"
#include "support/RecordingUi.h"
#include "support/SettableClock.h"

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The document side of a network port on Qt's real event loop.
//
// A processing request is served later on the loop, as the document serves
// it, but without a router: every whole line the ring buffer holds is taken
// with GetLine and handed to onLine (empty lines skipped), and the port is
// told after each line (OnInputTaken) so that it reads on.
class NetTestHost : public IPortHost {
  public:
    IEventLoop& Loop() override { return loop; }
    const IClock& Clock() const override { return clock; }
    IUiServices& Ui() override { return ui; }
    std::vector<CPortHandler*> PortList() const override { return ports; }
    bool IsPortNameUsed(const std::string& name) const override;
    void PostPortData(CPortHandler& port) override;
    void PostPortCommand(CPortHandler& port, int id) override { commands.emplace_back(&port, id); }

    void Add(CPortHandler& port) { ports.push_back(&port); }
    // Requests still queued for a forgotten port are ignored.
    void Forget(CPortHandler& port);

    QtEventLoop loop;
    SettableClock clock;
    RecordingUi ui;
    std::vector<CPortHandler*> ports;
    // The lines taken, unless onLine is set.
    std::vector<std::string> lines;
    std::function<void(std::string_view)> onLine;
    int dataRequests = 0;
    // While set, processing requests are only counted, as when the document
    // is busy with other ports; Drain serves them by hand.
    bool holdRequests = false;
    std::vector<std::pair<CPortHandler*, int>> commands;

    void Drain(CPortHandler& port);
};
