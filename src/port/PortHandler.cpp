#include "port/PortHandler.h"

#include "platform/CommandIds.h"
#include "platform/IClock.h"
#include "platform/IEventLoop.h"
#include "platform/IPortView.h"
#include "platform/IUiServices.h"
#include "port/IPortHost.h"
#include "port/OutputBatch.h"
#include "port/PortSetupValues.h"
#include "routing/Router.h"
#include "routing/RouterFactory.h"
#include "routing/RouterKeys.h"
#include "routing/SkimmerMergeSetup.h"
#include "setup/PlacementBlock.h"
#include "setup/SetupFile.h"

#include <algorithm>

namespace {

constexpr std::size_t MaxPortName = 31;
// A ring, a line buffer and a spare buffer of this size each; a setup file
// asking for more would only exhaust memory.
constexpr int MinBufferSize = 2;
constexpr int MaxBufferSize = 8 * 1024 * 1024;

int TncRoleOf(const std::string& text) {
    if (text == "MASTER" || text == "TRUE") {
        return CPortHandler::TncMaster;
    }
    if (text == "SLAVE") {
        return CPortHandler::TncSlave;
    }
    return CPortHandler::TncNone;
}

const char* TncTextOf(int role) {
    switch (role) {
    case CPortHandler::TncMaster:
        return "MASTER";
    case CPortHandler::TncSlave:
        return "SLAVE";
    default:
        return "FALSE";
    }
}

RouterSetup RouterSetupOf(const PortSetupValues& v) {
    RouterSetup setup;
    setup.options.MyCall = v.myCall;
    setup.options.HopsOut = v.hops;
    setup.options.AntiLoopPrefix = v.antiLoopPrefix;
    setup.options.CRLFOption = v.crlf;
    setup.options.BlockDashAtOption = v.blockDashAt ? 1 : 0;
    setup.options.StripAtPoundOption = v.stripAtPound ? 1 : 0;
    setup.options.OnlyPassSkimmerCQOption = v.onlySkimmerCQ ? 1 : 0;
    setup.options.NodeHandshake = v.nodeHandshake ? 1 : 0;
    setup.options.PskRepeat = v.pskRepeat;
    setup.dupeLength = v.dupes;
    setup.countryFile = v.countryFile;
    setup.filterRules = v.filterRules;
    setup.skimmerMerge = v.skimmerMerge;
    return setup;
}

} // namespace

CPortHandler::CPortHandler(IPortHost& host, IPortView& view) : m_host(host), m_view(view) {}

CPortHandler::CPortHandler(CSetupFile& setup, IPortHost& host, IPortView& view)
    : m_host(host), m_view(view) {
    const int bufferSize = setup.GetInt("BufferSize");
    const int keepAlive = setup.GetInt("KeepAlive");
    m_script = CConnectScript(setup);
    PortName = setup.GetString("PortName").substr(0, MaxPortName);
    IsTNCPort = setup.GetInt("IsTNCPort");
    const std::string& sw = setup.GetString("StreamSW");
    StreamSW = sw.empty() ? '\0' : sw[0];
    PortStreamID = setup.GetString("PortStreamID").substr(0, 2);
    if (setup.IsNextKey("showCmd")) {
        m_view.SetPlacement(PlacementBlock::Read(setup));
    }
    SetBufferSize(bufferSize);
    m_keepAlive.Set(std::max(0, keepAlive), m_host.Clock());
    m_view.SetTitleParts(PortName, "");
    if (m_script.StepsInFile() > CConnectScript::Steps) {
        PrintMessage("ScriptSteps " + std::to_string(m_script.StepsInFile()) + " is more than " +
                     std::to_string(CConnectScript::Steps) + ", only the first " +
                     std::to_string(CConnectScript::Steps) + " steps are kept");
    }
}

CPortHandler::~CPortHandler() {
    StopReconnectWait();
    m_view.DetachInput();
}

void CPortHandler::SetBufferSize(int size) {
    const int used = std::clamp(size, MinBufferSize, MaxBufferSize);
    if (used != size) {
        PrintMessage("BufferSize " + std::to_string(size) + " is out of range, using " +
                     std::to_string(used));
    }
    m_ringBuffer.SetSize(used);
}

void CPortHandler::Connect() {
    if (m_connected || IsConnecting()) {
        return;
    }
    m_keepAlive.Rearm(m_host.Clock());
    m_view.AttachInput(this);
    // A failed open must not start the reconnect wait; the link start clears
    // this again.
    m_script.SetManualDisconnect();
    DoConnect();
}

void CPortHandler::Disconnect() {
    if (!m_connected) {
        return;
    }
    m_connected = false;
    const LinkEnd end = DoDisconnect();
    PrintMessage("Port disconnected");
    m_view.DetachInput();
    if (end == LinkEnd::Now) {
        OnLinkEnd();
    }
}

void CPortHandler::DisconnectManual() {
    m_script.SetManualDisconnect();
    Disconnect();
}

void CPortHandler::SendText(std::string_view text) {
    ++m_linesOut;
    Write(text.data(), static_cast<int>(text.size()));
}

void CPortHandler::SendLine(std::string_view text) {
    AsOwnTalk([&] { SendText(FrameLine(text)); });
}

const std::string& CPortHandler::FrameLine(std::string_view text) {
    if (m_router == nullptr) {
        m_framed.assign(text);
        return m_framed;
    }
    m_router->BeginOutput(*this);
    m_router->OutputBuffer() += text;
    m_router->EndOutput(*this);
    return m_router->OutputBuffer();
}

bool CPortHandler::KeepAliveDue() {
    return m_keepAlive.IsDue(m_host.Clock());
}

void CPortHandler::OnTimer() {
    if (m_router == nullptr) {
        return;
    }
    // Merged spots whose dwell is over leave even while the link is down:
    // the router's send path decides what becomes of them.
    m_router->Tick();
    if (!m_connected) {
        return;
    }
    if (KeepAliveDue()) {
        if (m_keepAlive.TimesOut(m_script.AutoReconnectArmed())) {
            PrintMessage("Port Timeout, Disconnecting port");
            Disconnect();
            // The link is closed: neither a keep-alive nor a script step can
            // go out on it any more.
            return;
        }
        AsOwnTalk([&] { SendText(FrameLine("")); });
    }
    // Every step with an empty prompt is answered now, one after the other;
    // the script has ten steps, so this ends.
    for (int i = 0; i <= CConnectScript::Steps && RunScript(""); ++i) {
    }
    if (m_connected) {
        OnSecond();
    }
}

bool CPortHandler::ProcessInput(int maxLines, int* taken) {
    int lines = 0;
    {
        // The outputs write what the batch gave them when the outermost
        // batch closes: this one, before the transport is asked to read on,
        // or the document's around its whole slice, still in this turn.
        COutputBatch::Scope batch;
        while (lines < maxLines && HasInputFor(m_router.get())) {
            // A router of bytes takes what the ring holds, connected or not.
            const bool bytes = m_router->ReadsBytes();
            if (lines == 0) {
                m_keepAlive.NoteInput();
            }
            ++m_linesIn;
            ++lines;
            // What the router sends back on this link answers this input;
            // what it routes on is traffic of the other ports.
            AsOwnTalk(
                [&] { m_router->OnLine(bytes ? m_ringBuffer.GetAll() : m_ringBuffer.GetLine()); });
        }
    }
    if (taken != nullptr) {
        *taken = lines;
    }
    if (lines == 0) {
        return false;
    }
    OnInputTaken();
    return HasInputFor(m_router.get());
}

bool CPortHandler::HasInputFor(const CRouter* router) const {
    if (router == nullptr) {
        return false;
    }
    return router->ReadsBytes() ? m_ringBuffer.HasData() : PendingLines() != 0;
}

const IClock& CPortHandler::Clock() const {
    return m_host.Clock();
}

// Connecting again restarts the script for the new caller.
void CPortHandler::ReconnectAs(std::string_view call) {
    m_script.SetSubstitution(call);
    if (m_connected) {
        m_host.PostPortCommand(*this, PortCommand::Disconnect);
    }
    m_host.PostPortCommand(*this, PortCommand::Connect);
}

void CPortHandler::RequestDisconnect() {
    m_host.PostPortCommand(*this, PortCommand::Disconnect);
}

void CPortHandler::Save(CSetupFile& setup) const {
    SavePortType(setup);
    m_ringBuffer.Save(setup);
    setup.PutInt("KeepAlive", m_keepAlive.Minutes());
    m_script.Save(setup);
    setup.PutString("PortName", PortName);
    setup.PutInt("IsTNCPort", IsTNCPort);
    setup.PutChar("StreamSW", StreamSW);
    setup.PutString("PortStreamID", PortStreamID);
    PlacementBlock::Write(setup, m_view.GetPlacement());
    SaveKindSettings(setup);
}

int CPortHandler::PendingLines() const {
    return m_connected ? m_ringBuffer.LineCount() : 0;
}

void CPortHandler::OnReceive(const char* data, int len) {
    m_ringBuffer.Put(data, len);
    if (m_router == nullptr || !m_router->HoldsLink()) {
        RunScript(std::string_view(data, static_cast<std::size_t>(std::max(0, len))));
    }
    m_host.PostPortData(*this);
}

void CPortHandler::TakeInput(const char* data, int len) {
    m_ringBuffer.Put(data, len);
    m_host.PostPortData(*this);
}

bool CPortHandler::RunScript(std::string_view text) {
    return RunScript(m_script, text,
                     [this](std::string_view framed) { AsOwnTalk([&] { SendText(framed); }); });
}

bool CPortHandler::RunScript(CConnectScript& script, std::string_view text,
                             const std::function<void(std::string_view)>& send) {
    std::optional<std::string> response = script.Check(text);
    if (!response) {
        return false;
    }
    PrintText("\n" + PortName + ": Script Send > " + *response + "\n");
    send(FrameLine(*response));
    return true;
}

void CPortHandler::OnLinkStart() {
    m_linkRunning = true;
    // Every link gets its full keep-alive period before it counts as silent.
    m_keepAlive.Rearm(m_host.Clock());
    m_keepAlive.NoteInput();
    StartScript();
}

void CPortHandler::StartScript() {
    m_script.Start();
    NotifyLinkStart();
}

void CPortHandler::NotifyLinkStart() {
    if (m_router != nullptr) {
        m_router->OnLinkStart();
    }
}

void CPortHandler::OnLinkEnd() {
    m_linkRunning = false;
    if (!m_script.AutoReconnectArmed()) {
        if (IsTNCPort == TncSlave) {
            SendStreamDisconnect();
        }
        return;
    }
    if (!m_connected && !m_reconnectWaiting) {
        StartReconnectWait();
    }
}

void CPortHandler::SendStreamDisconnect() {
    CRouter* master = m_router ? m_router->FindMasterRoute() : nullptr;
    if (master == nullptr) {
        return;
    }
    // Ctrl-C puts the TNC in command mode; the stream switch and this
    // stream's identifier select the stream to end.
    std::string command;
    command += '\x03';
    command += master->Port().StreamSW;
    command += PortStreamID.substr(0, 2);
    command += "disc";
    switch (master->CRLFOption) {
    case 1:
        command += "\r";
        break;
    case 2:
        command += "\n";
        break;
    case 3:
        command += "\r\n";
        break;
    default:
        break;
    }
    master->Port().SendText(command);
}

void CPortHandler::StartReconnectWait() {
    m_reconnectWaiting = true;
    m_reconnectSecondsLeft = m_script.AutoTime();
    if (m_reconnectSecondsLeft <= 0) {
        m_reconnectWaiting = false;
        m_host.PostPortCommand(*this, PortCommand::Connect);
        return;
    }
    m_reconnectTimer = m_host.Loop().StartTimer(1000, [this] { ReconnectWaitStep(); });
}

void CPortHandler::ReconnectWaitStep() {
    --m_reconnectSecondsLeft;
    const bool cancelled = !m_script.AutoReconnectArmed() || m_connected;
    if (m_reconnectSecondsLeft > 0 && !cancelled) {
        return;
    }
    StopReconnectWait();
    if (!cancelled) {
        m_host.PostPortCommand(*this, PortCommand::Connect);
    }
}

void CPortHandler::StopReconnectWait() {
    if (m_reconnectTimer != 0) {
        m_host.Loop().StopTimer(m_reconnectTimer);
        m_reconnectTimer = 0;
    }
    m_reconnectWaiting = false;
}

std::string CPortHandler::GetStatusText() {
    std::string status = m_connected ? "C" : "D";
    status += StatusDetail();
    if (m_script.ManualDisconnect()) {
        status += "/MD";
    }
    // A script step means something only while there is a link to answer
    // it: a failed connect leaves none.
    if (m_script.IsRunning() && (m_connected || IsConnecting())) {
        const int step = m_script.StatusStep();
        status += step < 0 ? std::string("/S*") : "/S" + std::to_string(step);
    }
    if (m_script.AutoReconnectArmed()) {
        status += "/A";
    }
    if (m_reconnectWaiting) {
        status += "/W";
    }
    UpdateTitle(status);
    return " " + PortName + "=" + status + " ";
}

void CPortHandler::UpdateTitle(const std::string& status) {
    m_view.SetTitleParts(PortName, status);
}

void CPortHandler::PrintMessage(std::string_view msg) {
    std::string text;
    text.reserve(PortName.size() + msg.size() + 3);
    text += PortName;
    text += ": ";
    text += msg;
    text += "\n";
    m_windowTail.Append(text);
    m_view.AppendText(text);
}

void CPortHandler::PrintText(std::string_view text) {
    m_windowTail.Append(text);
    m_view.AppendText(text);
}

void CPortHandler::ApplySetup(const std::string& name, int isTnc, const std::string& streamSw,
                              const std::string& streamId, int bufferSize, int keepAliveMinutes) {
    SetBufferSize(bufferSize);
    m_keepAlive.Set(std::max(0, keepAliveMinutes), m_host.Clock());
    PortName = name.substr(0, MaxPortName);
    UpdateTitle("");
    IsTNCPort = isTnc;
    StreamSW = streamSw.empty() ? '\0' : streamSw[0];
    PortStreamID = streamId.substr(0, 2);
    m_connected = false;
}

void CPortHandler::ApplyLiveSetup(int isTnc, const std::string& streamSw,
                                  const std::string& streamId, int keepAliveMinutes) {
    m_keepAlive.Set(std::max(0, keepAliveMinutes), m_host.Clock());
    IsTNCPort = isTnc;
    StreamSW = streamSw.empty() ? '\0' : streamSw[0];
    PortStreamID = streamId.substr(0, 2);
}

void CPortHandler::ApplyRouterSetup(const RouterSetup& values) {
    if (m_router != nullptr) {
        // The dialog's values reach every router in place; a key added
        // later only the types that store it.
        const unsigned later = m_router->Type().keys & ~RouterKey::All;
        RouterKeys::Apply(*m_router, values, RouterKey::All | later);
    }
}

void CPortHandler::CreateRouter(const std::string& dataType, const RouterSetup& values,
                                bool addConsoleRoutes) {
    std::unique_ptr<CRouter> router = RouterFactory::Create(dataType, *this);
    if (router == nullptr) {
        return;
    }
    const DataType& type = router->Type();
    RouterKeys::Apply(*router, values, type.keys & ~type.notOnCreate);
    m_router = std::move(router);
    // A new router has seen no input yet.
    m_keepAlive.NoteInput();

    if (!addConsoleRoutes || PortName == "CON") {
        return;
    }
    const std::vector<CPortHandler*> ports = m_host.PortList();
    CPortHandler* console = nullptr;
    CPortHandler* own = nullptr;
    for (CPortHandler* p : ports) {
        if (p == nullptr) {
            continue;
        }
        if (p->PortName == "CON") {
            console = p;
        }
        if (p->PortName == PortName) {
            own = p;
        }
    }
    if (console == nullptr || own == nullptr || console->Router() == nullptr ||
        own->Router() == nullptr) {
        m_host.Ui().MessageBox("Routers not found, something badly wrong!");
        return;
    }
    own->Router()->AddRoute(console->Router());
    console->Router()->AddRoute(own->Router());
}

void CPortHandler::FillSetupValues(PortSetupValues& values) const {
    FillNewPortValues(values);
    values.mode = m_connected ? PortSetupMode::ConnectedEdit : PortSetupMode::DisconnectedEdit;
    values.name = PortName;
    values.isTnc = TncTextOf(IsTNCPort);
    values.streamSw = StreamSW == '\0' ? std::string() : std::string(1, StreamSW);
    values.streamId = PortStreamID;
    values.bufferSize = m_ringBuffer.Size();
    values.keepAlive = m_keepAlive.Minutes();
    values.addConsoleRoutes = false;
    if (m_router != nullptr) {
        values.dataType = m_router->InputType;
        values.myCall = m_router->MyCall;
        values.hops = m_router->HopsOut;
        values.antiLoopPrefix = m_router->AntiLoopPrefix;
        values.dupes = m_router->DupeLength();
        values.crlf = m_router->CRLFOption;
        values.blockDashAt = m_router->BlockDashAtOption != 0;
        values.stripAtPound = m_router->StripAtPoundOption != 0;
        values.onlySkimmerCQ = m_router->OnlyPassSkimmerCQOption != 0;
        values.nodeHandshake = m_router->NodeHandshake != 0;
        values.pskRepeat = m_router->PskRepeat;
        values.countryFile = m_router->Filter().CountryFile();
        values.spotCounts = m_router->CountsText();
        if (const std::string merged = m_router->MergeCountsText(); !merged.empty()) {
            values.spotCounts += "; " + merged;
        }
        const std::optional<SkimmerMergeSettings> merge = m_router->SkimmerMerge();
        values.skimmerMerge = merge ? CSkimmerMergeSetup::Format(*merge) : std::string();
        values.filterRules.clear();
        for (const CSpotFilter::Rule& rule : m_router->Filter().Rules()) {
            values.filterRules.push_back(rule.text);
        }
    }
}

void CPortHandler::FillNewPortValues(PortSetupValues& values) const {
    values.mode = PortSetupMode::NewPort;
    values.existingPortNames.clear();
    for (CPortHandler* p : m_host.PortList()) {
        if (p != nullptr && p != this) {
            values.existingPortNames.push_back(p->PortName);
        }
    }
}

void CPortHandler::ApplyNewPortValues(const PortSetupValues& v) {
    ApplySetup(v.name, TncRoleOf(v.isTnc), v.streamSw, v.streamId, v.bufferSize, v.keepAlive);
    CreateRouter(v.dataType, RouterSetupOf(v), v.addConsoleRoutes);
}

void CPortHandler::ApplyEditValues(const PortSetupValues& v) {
    if (m_router == nullptr || v.dataType != m_router->InputType) {
        std::unique_ptr<CRouter> old = std::move(m_router);
        CreateRouter(v.dataType, RouterSetupOf(v), false);
        if (m_router == nullptr) {
            m_router = std::move(old);
        } else if (old != nullptr) {
            std::vector<CRouter*> others;
            for (CPortHandler* p : m_host.PortList()) {
                if (p != nullptr) {
                    others.push_back(p->Router());
                }
            }
            m_router->CopyRoutesFrom(*old, others);
            m_router->Filter() = old->Filter();
        }
    }
    if (m_connected) {
        ApplyLiveSetup(TncRoleOf(v.isTnc), v.streamSw, v.streamId, v.keepAlive);
    } else {
        ApplySetup(v.name, TncRoleOf(v.isTnc), v.streamSw, v.streamId, v.bufferSize, v.keepAlive);
    }
    ApplyRouterSetup(RouterSetupOf(v));
}

void CPortHandler::SetRouter(std::unique_ptr<CRouter> router) {
    m_router = std::move(router);
}

std::unique_ptr<CRouter> CPortHandler::TakeRouter() {
    return std::move(m_router);
}
