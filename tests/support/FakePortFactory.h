#pragma once

#include "port/IPortFactory.h"
#include "port/PortKind.h"
#include "port/PortSetupValues.h"
#include "setup/SetupFile.h"
#include "support/FakePortHost.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

// A port of any of the six kinds for document tests: it stores the kind's
// transport keys as texts and writes them back unchanged; its transport is a
// flag. A port made unstoppable keeps its link running after a disconnect
// until FinishStopping.
class FakeKindPort : public FakePort {
  public:
    FakeKindPort(std::string kind, IPortHost& host, IPortView& view)
        : FakePort(host, view), m_kind(std::move(kind)) {}
    FakeKindPort(std::string kind, CSetupFile& setup, IPortHost& host, IPortView& view)
        : FakePort(setup, host, view), m_kind(std::move(kind)) {
        if (const PortKind* row = PortKinds::Named(m_kind)) {
            for (const char* key : row->keys) {
                settings.emplace_back(key, setup.GetString(key));
            }
        }
    }

    bool SetupNewPort() override {
        PortSetupValues values;
        values.kind = m_kind;
        FillNewPortValues(values);
        values.name = m_kind;
        values.dataType = m_kind == "CON" ? "Command" : "Cluster User";
        if (!Host().Ui().RunPortSetupDialog(values)) {
            return false;
        }
        ApplyNewPortValues(values);
        return true;
    }
    bool EditSetup() override {
        PortSetupValues values;
        values.kind = m_kind;
        FillSetupValues(values);
        if (!Host().Ui().RunPortSetupDialog(values)) {
            return false;
        }
        ApplyEditValues(values);
        return true;
    }
    LinkEnd DoDisconnect() override { return stoppable ? LinkEnd::Now : LinkEnd::Later; }
    void FinishStopping() { OnLinkEnd(); }

    void SavePortType(CSetupFile& setup) const override { setup.PutString("PortType", m_kind); }
    void SaveKindSettings(CSetupFile& setup) const override {
        for (const auto& [key, value] : settings) {
            setup.PutString(key, value);
        }
    }

    std::vector<std::pair<std::string, std::string>> settings;
    bool stoppable = true;

  private:
    std::string m_kind;
};

// Makes FakeKindPorts; a kind in `unavailable` is not built.
class FakePortFactory : public IPortFactory {
  public:
    std::unique_ptr<CPortHandler> CreateFromSetup(const std::string& kind, CSetupFile& setup,
                                                  IPortHost& host, IPortView& view) override {
        if (unavailable.count(kind) != 0) {
            return nullptr;
        }
        auto port = std::make_unique<FakeKindPort>(kind, setup, host, view);
        made.push_back(port.get());
        return port;
    }
    std::unique_ptr<CPortHandler> CreateNew(const std::string& kind, IPortHost& host,
                                            IPortView& view) override {
        if (unavailable.count(kind) != 0) {
            return nullptr;
        }
        auto port = std::make_unique<FakeKindPort>(kind, host, view);
        made.push_back(port.get());
        return port;
    }

    std::set<std::string> unavailable;
    std::vector<FakeKindPort*> made;
};
