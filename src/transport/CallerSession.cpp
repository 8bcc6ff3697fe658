#include "transport/CallerSession.h"

#include "platform/IClock.h"
#include "port/IPortHost.h"
#include "transport/HostResolver.h"
#include "transport/InputRoom.h"
#include "transport/RxNetHandler.h"
#include "transport/SocketError.h"
#include "transport/StreamSend.h"
#include "transport/TelnetFilter.h"
#include "transport/WriteQueue.h"

#include <QTcpSocket>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

CCallerSession::CCallerSession(CRxNetHandler& port, QTcpSocket& socket, bool wholeLines)
    : m_port(port), m_socket(&socket),
      m_address(CHostResolver::Endpoint(socket.peerAddress(), socket.peerPort())),
      m_wholeLines(wholeLines), m_script(port.Script()), m_pump([this] { ReadStep(); }) {
    m_receive.assign(static_cast<std::size_t>(Capacity()) + 1, '\0');
    socket.setReadBufferSize(std::max(Capacity(), CSocketPort::MinReadBuffer));
    CStreamSend::LowDelay(socket);
    QObject::connect(&socket, &QTcpSocket::readyRead, &m_context, [this] { Read(); });
    QObject::connect(&socket, &QTcpSocket::disconnected, &m_context, [this] { Read(); });
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &m_context,
                     [this](QAbstractSocket::SocketError) { Read(); });
}

CCallerSession::~CCallerSession() {
    Drop();
}

int CCallerSession::Capacity() const {
    return std::max(m_port.BufferSize(), 1);
}

void CCallerSession::Start() {
    m_startedAt = m_port.Host().Clock().NowSeconds();
    m_script.Start();
    m_keepAlive.Set(m_port.KeepAlive().Minutes(), m_port.Host().Clock());
    RunScript("");
    Read();
}

void CCallerSession::Send(std::string_view text) {
    if (m_socket == nullptr || text.empty()) {
        return;
    }
    const auto len = static_cast<qint64>(text.size());
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        // A caller that has closed is still read to its end; with several
        // callers, lines meant for it are not worth a line each.
        if (!m_wholeLines) {
            m_port.PrintText(CSocketError::Line(m_port.PortName, ENOTCONN));
        }
        return;
    }
    const auto gathered = static_cast<qint64>(m_batch.size());
    if (m_socket->bytesToWrite() + gathered + len > static_cast<qint64>(CWriteQueue::MaxPending)) {
        // A caller that has stopped reading is closed once, not told about
        // every line it misses; with several, it must not hold back the rest.
        Close("output queue full");
        return;
    }
    if (COutputBatch::IsOpen()) {
        if (m_batch.empty()) {
            COutputBatch::Enlist(*this);
        }
        m_batch += text;
        return;
    }
    Write(text);
}

std::size_t CCallerSession::Queued() const {
    const qint64 socket = m_socket != nullptr ? m_socket->bytesToWrite() : 0;
    return static_cast<std::size_t>(socket) + m_batch.size();
}

void CCallerSession::FlushBatch() {
    // A caller that closed during the batch is read to its end, not written.
    if (m_socket != nullptr && m_socket->state() == QAbstractSocket::ConnectedState) {
        // Flat out, Qt's write on the next turn takes this slice's bytes and
        // the next ones' in one send; otherwise they go now.
        Write(m_batch, !COutputBatch::MoreWaiting());
    }
    m_batch.clear();
}

void CCallerSession::Write(std::string_view text, bool now) {
    const auto len = static_cast<qint64>(text.size());
    const qint64 written =
        now ? CStreamSend::Write(*m_socket, text.data(), len) : m_socket->write(text.data(), len);
    if (written != len) {
        m_port.PrintText(
            CSocketError::Line(m_port.PortName, CSocketError::Number(m_socket->error())));
    }
}

void CCallerSession::Tick() {
    if (m_socket == nullptr) {
        return;
    }
    const int limit = m_port.LoginTimeout();
    if (!m_welcomed && limit > 0 && m_port.Host().Clock().NowSeconds() - m_startedAt >= limit) {
        // Otherwise a silent caller keeps its place, and MaxCallers of them
        // keep every station out.
        Close("no login within " + std::to_string(limit) + " s");
        return;
    }
    if (m_keepAlive.IsDue(m_port.Host().Clock())) {
        if (m_keepAlive.TimesOut(true)) {
            Close("Port Timeout");
            return;
        }
        Send(m_port.FrameLine(""));
    }
    // Steps with an empty prompt, one after the other; ten at most.
    for (int i = 0; i <= CConnectScript::Steps && m_socket != nullptr && m_script.IsRunning();
         ++i) {
        const bool sent = m_port.RunScript(m_script, "", [this](std::string_view r) { Send(r); });
        CheckLogin();
        if (!sent) {
            break;
        }
    }
}

void CCallerSession::RunScript(std::string_view text) {
    m_port.RunScript(m_script, text, [this](std::string_view response) { Send(response); });
    CheckLogin();
}

void CCallerSession::CheckLogin() {
    if (m_welcomed || m_socket == nullptr || (m_script.IsRunning() && m_script.StatusStep() >= 0)) {
        return;
    }
    m_welcomed = true;
    if (m_refusedLines > 0) {
        m_port.PrintMessage(m_address + " logged in" + RefusedNote());
    }
    m_port.SendBacklog([this](std::string_view line) { Send(line); });
}

void CCallerSession::Close(std::string_view reason) {
    if (m_socket == nullptr) {
        return;
    }
    std::string line = m_address + " disconnected";
    if (!reason.empty()) {
        line += ": ";
        line += reason;
    }
    if (!m_welcomed) {
        line += RefusedNote();
    }
    m_port.PrintMessage(line);
    Drop();
    m_port.SessionClosed();
}

void CCallerSession::Drop() {
    if (!m_batch.empty()) {
        COutputBatch::Forget(*this);
        m_batch.clear();
    }
    if (m_socket == nullptr) {
        return;
    }
    QObject::disconnect(m_socket, nullptr, &m_context, nullptr);
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
}

void CCallerSession::ReadStep() {
    while (m_socket != nullptr) {
        if (m_wholeLines && !PutWholeLines()) {
            return;
        }
        const qint64 waiting = m_socket->bytesAvailable();
        if (waiting <= 0) {
            break;
        }
        const int wanted = static_cast<int>(std::min<qint64>(waiting, Capacity()));
        const int held = static_cast<int>(m_pending.size() - m_head);
        const int room =
            m_wholeLines ? std::min(wanted, Capacity() - held) : CInputRoom::Bytes(m_port, wanted);
        if (room <= 0) {
            return;
        }
        const qint64 n = m_socket->read(m_receive.data(), room);
        if (n <= 0) {
            Close("");
            return;
        }
        Deliver(m_receive.data(), static_cast<int>(n));
    }
    if (m_socket == nullptr || m_socket->state() == QAbstractSocket::ConnectedState) {
        return;
    }
    // The caller has closed and everything it sent is read: its last line
    // counts even without a line end.
    if (m_wholeLines && m_head < m_pending.size()) {
        if (!IsLineEnd(m_pending.back())) {
            m_pending += '\n';
        }
        if (!PutWholeLines()) {
            return;
        }
    }
    Close("");
}

void CCallerSession::Deliver(char* data, int n) {
    m_keepAlive.NoteInput();
    data[n] = '\0';
    CTelnetFilter::Apply(data, n, [this](const char* answer, int len) {
        Send(std::string_view(answer, static_cast<std::size_t>(len)));
    });
    if (m_socket == nullptr) {
        return;
    }
    const std::string_view shown(data, ::strnlen(data, static_cast<std::size_t>(n)));
    if (!m_welcomed) {
        // Anyone who can reach the port could otherwise post to the routes.
        m_port.PrintText(shown);
        CountRefused(shown);
    } else if (m_wholeLines) {
        Append(data, n);
    } else {
        m_port.PrintText(shown);
        m_port.TakeInput(data, n);
    }
    RunScript(std::string_view(data, static_cast<std::size_t>(n)));
}

void CCallerSession::CountRefused(std::string_view text) {
    for (char c : text) {
        if (IsLineEnd(c)) {
            m_inRefusedLine = false;
        } else if (!m_inRefusedLine) {
            m_inRefusedLine = true;
            ++m_refusedLines;
        }
    }
}

std::string CCallerSession::RefusedNote() const {
    if (m_refusedLines == 0) {
        return {};
    }
    return "; " + std::to_string(m_refusedLines) + (m_refusedLines == 1 ? " line" : " lines") +
           " sent before login not routed";
}

void CCallerSession::Append(const char* data, int n) {
    std::string_view chunk(data, static_cast<std::size_t>(n));
    if (m_skipping) {
        const std::size_t eol = chunk.find_first_of("\r\n");
        if (eol == std::string_view::npos) {
            return;
        }
        chunk.remove_prefix(eol + 1);
        m_skipping = false;
    }
    m_pending.append(chunk);
}

bool CCallerSession::PutWholeLines() {
    CRingBuffer& ring = m_port.RingBuffer();
    bool room = true;
    bool put = false;
    while (m_head < m_pending.size()) {
        const std::size_t eol = m_pending.find_first_of("\r\n", m_head);
        if (eol == std::string::npos) {
            if (m_pending.size() - m_head >= static_cast<std::size_t>(Capacity())) {
                // Longer than the ring can ever hold: dropped to its end.
                m_head = m_pending.size();
                m_skipping = true;
            }
            break;
        }
        std::size_t end = eol + 1;
        while (end < m_pending.size() && IsLineEnd(m_pending[end])) {
            ++end;
        }
        const int len = static_cast<int>(end - m_head);
        const char* line = m_pending.data() + m_head;
        if (len >= ring.Size()) {
            m_head = end;
            continue;
        }
        if (len > ring.FreeSpace()) {
            room = false;
            break;
        }
        m_port.PrintText(std::string_view(line, ::strnlen(line, static_cast<std::size_t>(len))));
        ring.Put(line, len);
        put = true;
        m_head = end;
    }
    if (m_head == m_pending.size()) {
        m_pending.clear();
        m_head = 0;
    } else if (m_head > m_pending.size() / 2) {
        m_pending.erase(0, m_head);
        m_head = 0;
    }
    if (put) {
        m_port.Host().PostPortData(m_port);
    }
    return room;
}
