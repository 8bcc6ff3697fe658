#include "transport/RxNetHandler.h"

#include "platform/IEventLoop.h"
#include "port/IPortHost.h"
#include "port/PortSetupValues.h"
#include "setup/SetupFile.h"
#include "transport/CallerSession.h"
#include "transport/DescriptorShortage.h"
#include "transport/InputRoom.h"
#include "transport/OperatorNotice.h"
#include "transport/SocketError.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

CRxNetHandler::CRxNetHandler(IPortHost& host, IPortView& view) : CSocketPort(host, view) {
    PortNumber = NewPortNumber;
}

//   PortNumber=7300
//   MaxCallers=8
//   Backlog=100
//   LoginTimeout=30
CRxNetHandler::CRxNetHandler(CSetupFile& setup, IPortHost& host, IPortView& view)
    : CSocketPort(setup, host, view) {
    if (setup.IsNextKey("MaxCallers")) {
        m_maxCallers = ReadSetting(setup, "MaxCallers", 1, 1, MaxMaxCallers);
    }
    if (setup.IsNextKey("Backlog")) {
        m_backlog.SetLength(ReadSetting(setup, "Backlog", 0, 0, CLineBacklog::MaxLength));
    }
    if (setup.IsNextKey("LoginTimeout")) {
        m_loginTimeout =
            ReadSetting(setup, "LoginTimeout", DefaultLoginTimeout, 0, MaxLoginTimeout);
    }
}

CRxNetHandler::~CRxNetHandler() {
    if (m_tickTimer != 0) {
        Host().Loop().StopTimer(m_tickTimer);
    }
    if (m_resumeTimer != 0) {
        Host().Loop().StopTimer(m_resumeTimer);
    }
}

int CRxNetHandler::ReadSetting(CSetupFile& setup, const char* key, int fallback, int low,
                               int high) {
    const std::string written = setup.GetString(key);
    int value = 0;
    if (!CSetupFile::IsWholeInt(written, value)) {
        PrintMessage(std::string(key) + " \"" + written + "\" is not a number, using " +
                     std::to_string(fallback));
        return fallback;
    }
    return Clamped(key, written, value, low, high);
}

int CRxNetHandler::Clamped(const std::string& key, const std::string& written, int value, int low,
                           int high) {
    const int used = std::clamp(value, low, high);
    if (used != value) {
        PrintMessage(key + " " + written + " is out of range, using " + std::to_string(used));
    }
    return used;
}

void CRxNetHandler::SetMaxCallers(int n) {
    m_maxCallers = Clamped("MaxCallers", std::to_string(n), n, 1, MaxMaxCallers);
}

void CRxNetHandler::SetBacklog(int lines) {
    m_backlog.SetLength(
        Clamped("Backlog", std::to_string(lines), lines, 0, CLineBacklog::MaxLength));
}

void CRxNetHandler::SetLoginTimeout(int seconds) {
    m_loginTimeout = Clamped("LoginTimeout", std::to_string(seconds), seconds, 0, MaxLoginTimeout);
}

void CRxNetHandler::SaveKindSettings(CSetupFile& setup) const {
    CSocketPort::SaveKindSettings(setup);
    if (m_maxCallers != 1) {
        setup.PutInt("MaxCallers", m_maxCallers);
    }
    if (Backlog() != 0) {
        setup.PutInt("Backlog", Backlog());
    }
    if (m_loginTimeout != DefaultLoginTimeout) {
        setup.PutInt("LoginTimeout", m_loginTimeout);
    }
}

CNetPort::Fields CRxNetHandler::KindFields() const {
    Fields fields = CSocketPort::KindFields();
    fields.emplace_back("MaxCallers", std::to_string(m_maxCallers));
    fields.emplace_back("Backlog", std::to_string(Backlog()));
    fields.emplace_back("LoginTimeout", std::to_string(m_loginTimeout));
    return fields;
}

void CRxNetHandler::ApplyKindFields(const PortSetupValues& values) {
    CSocketPort::ApplyKindFields(values);
    if (const std::string* n = values.Field("MaxCallers")) {
        SetMaxCallers(CSetupFile::ToInt(*n));
    }
    if (const std::string* n = values.Field("Backlog")) {
        if (CSetupFile::ToInt(*n) != Backlog()) {
            SetBacklog(CSetupFile::ToInt(*n));
        }
    }
    if (const std::string* n = values.Field("LoginTimeout")) {
        SetLoginTimeout(CSetupFile::ToInt(*n));
    }
}

std::string CRxNetHandler::StatusDetail() const {
    if (m_maxCallers == 1 || !IsConnected()) {
        return {};
    }
    return "/" + std::to_string(Callers());
}

std::size_t CRxNetHandler::QueuedBytes() const {
    std::size_t sum = 0;
    for (const std::unique_ptr<CCallerSession>& s : m_sessions) {
        sum += s->Queued();
    }
    return sum;
}

std::size_t CRxNetHandler::FullestOutputQueue() const {
    std::size_t most = 0;
    for (const std::unique_ptr<CCallerSession>& s : m_sessions) {
        most = std::max(most, s->Queued());
    }
    return most;
}

int CRxNetHandler::Callers() const {
    return static_cast<int>(
        std::count_if(m_sessions.begin(), m_sessions.end(),
                      [](const std::unique_ptr<CCallerSession>& s) { return !s->IsClosed(); }));
}

void CRxNetHandler::OpenTransport(const std::vector<QHostAddress>& addresses) {
    m_server = new QTcpServer(&Context());
    m_server->setListenBacklogSize(m_maxCallers);
    if (!m_server->listen(addresses.front(), PortNumber)) {
        const QAbstractSocket::SocketError error = m_server->serverError();
        const std::string reason =
            CSocketError::BindReason(CSocketError::Number(error), PortNumber);
        switch (error) {
        case QAbstractSocket::AddressInUseError:
        case QAbstractSocket::SocketAddressNotAvailableError:
        case QAbstractSocket::SocketAccessError:
            SetupFailed("Error binding socket to host address " + Target() + ": " + reason);
            break;
        default:
            SetupFailed("Error listening to socket " + Target() + ": " + reason);
            break;
        }
        return;
    }
    QObject::connect(m_server, &QTcpServer::newConnection, &Context(), [this] { Accept(); });
    m_shortage = std::make_unique<CDescriptorShortage>();
    QObject::connect(m_server, &QTcpServer::acceptError, &Context(),
                     [this](QAbstractSocket::SocketError) { AcceptFailed(); });
    PrintMessage("Listening on " +
                 CHostResolver::Endpoint(m_server->serverAddress(), m_server->serverPort()));
    MarkConnected();
    // Each caller runs the steps on its own; the port's copy only keeps
    // the automatic reconnection after a failed start.
    Script().StopSteps();
    m_tickTimer = Host().Loop().StartTimer(1000, [this] { Tick(); });
}

void CRxNetHandler::AcceptFailed() {
    if (m_server == nullptr) {
        return;
    }
    const bool noDescriptor = m_server->serverError() == QAbstractSocket::SocketResourceError;
    if (!m_acceptFailureSaid) {
        m_acceptFailureSaid = true;
        TellOperator(*this, noDescriptor ? m_shortage->Describe()
                                         : "accepting a caller failed: " +
                                               m_server->errorString().toStdString());
    }
    if (noDescriptor) {
        m_shortage->RefuseWaiting(static_cast<int>(m_server->socketDescriptor()),
                                  "Sorry, no connection can be taken now, try again later\r\n");
    }
    // The server has stopped accepting; it tries again after a pause
    // instead of failing in a tight loop.
    m_server->pauseAccepting();
    if (m_resumeTimer == 0) {
        m_resumeTimer = Host().Loop().SingleShot(AcceptPauseMs, [this] {
            m_resumeTimer = 0;
            if (m_server != nullptr) {
                m_server->resumeAccepting();
            }
        });
    }
}

void CRxNetHandler::Accept() {
    while (QTcpSocket* next = m_server->nextPendingConnection()) {
        m_acceptFailureSaid = false;
        if (m_maxCallers == 1) {
            for (const std::unique_ptr<CCallerSession>& s : m_sessions) {
                s->Close("replaced by a newer caller");
            }
        } else if (Callers() >= m_maxCallers) {
            Refuse(*next);
            continue;
        }
        m_sessions.push_back(std::make_unique<CCallerSession>(*this, *next, m_maxCallers > 1));
        CCallerSession& session = *m_sessions.back();
        PrintMessage(session.Address() + " connected");
        session.Start();
        // A node link opens afresh with every caller.
        NotifyLinkStart();
    }
}

void CRxNetHandler::Refuse(QTcpSocket& socket) {
    const std::string limit = std::to_string(m_maxCallers);
    PrintMessage(CHostResolver::Endpoint(socket.peerAddress(), socket.peerPort()) +
                 " refused: all " + limit + " connections are in use");
    const std::string line = "Sorry, all " + limit + " connections are in use\r\n";
    QObject::connect(&socket, &QTcpSocket::disconnected, &socket, &QObject::deleteLater);
    socket.write(line.data(), static_cast<qint64>(line.size()));
    socket.disconnectFromHost();
}

void CRxNetHandler::Write(const char* data, int len) {
    if (!IsConnected() || len <= 0) {
        return;
    }
    if (len <= BufferSize()) {
        m_backlog.Record(std::string_view(data, static_cast<std::size_t>(len)));
    }
    // With several callers, or a backlog to come first, a caller gets
    // routed lines once it has logged in; a single caller gets them all.
    const bool gated = m_maxCallers > 1 || Backlog() > 0;
    for (const std::unique_ptr<CCallerSession>& s : m_sessions) {
        if (!gated || s->LoggedIn()) {
            s->Send(data, len);
        }
    }
}

void CRxNetHandler::OnInputTaken() {
    if (!IsConnected() || m_sessions.empty() || !CInputRoom::WorthReading(*this)) {
        return;
    }
    // Each turn starts with the next caller, so that none takes all the room.
    const std::size_t n = m_sessions.size();
    const std::size_t first = m_readTurn++ % n;
    for (std::size_t i = 0; i < n && i < m_sessions.size(); ++i) {
        m_sessions[(first + i) % n]->Read();
    }
}

bool CRxNetHandler::KeepAliveDue() {
    return false;
}

bool CRxNetHandler::LoginDone() const {
    return std::any_of(m_sessions.begin(), m_sessions.end(),
                       [](const std::unique_ptr<CCallerSession>& s) { return s->LoggedIn(); });
}

void CRxNetHandler::Tick() {
    for (std::size_t i = 0; i < m_sessions.size(); ++i) {
        m_sessions[i]->Tick();
    }
}

void CRxNetHandler::SessionClosed() {
    if (m_sweepPosted) {
        return;
    }
    m_sweepPosted = true;
    QTimer::singleShot(0, &Context(), [this] { Sweep(); });
}

void CRxNetHandler::Sweep() {
    m_sweepPosted = false;
    std::erase_if(m_sessions,
                  [](const std::unique_ptr<CCallerSession>& s) { return s->IsClosed(); });
}

void CRxNetHandler::CloseTransport() {
    if (m_tickTimer != 0) {
        Host().Loop().StopTimer(m_tickTimer);
        m_tickTimer = 0;
    }
    // A session may be the one calling; its object goes in the sweep.
    for (const std::unique_ptr<CCallerSession>& s : m_sessions) {
        s->Drop();
    }
    SessionClosed();
    if (m_resumeTimer != 0) {
        Host().Loop().StopTimer(m_resumeTimer);
        m_resumeTimer = 0;
    }
    m_shortage.reset();
    m_acceptFailureSaid = false;
    if (m_server != nullptr) {
        QObject::disconnect(m_server, nullptr, &Context(), nullptr);
        m_server->close();
        m_server->deleteLater();
        m_server = nullptr;
    }
}
