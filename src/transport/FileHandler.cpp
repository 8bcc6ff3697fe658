#include "transport/FileHandler.h"

#include "platform/IClock.h"
#include "platform/IEventLoop.h"
#include "platform/IUiServices.h"
#include "port/IPortHost.h"
#include "port/PortKind.h"
#include "port/PortSetupValues.h"
#include "setup/NamedFile.h"
#include "setup/SetupFile.h"
#include "transport/OperatorNotice.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

const PortKind& CFileHandler::Kind() {
    return PortKinds::Of(PortKindCode::LogFile);
}

CFileHandler::CFileHandler(IPortHost& host, IPortView& view) : CPortHandler(host, view) {}

CFileHandler::CFileHandler(CSetupFile& setup, IPortHost& host, IPortView& view)
    : CPortHandler(setup, host, view) {
    FileName = setup.GetString("FileName");
}

CFileHandler::~CFileHandler() {
    StopRetrying();
    m_output.Stop();
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void CFileHandler::MapTncChoice(PortSetupValues& values) {
    if (values.isTnc != "FALSE") {
        values.isTnc = "SLAVE";
    }
}

std::string CFileHandler::NewPortFile(const std::string& portName) {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return (data + QStringLiteral("/spotweaver/") + QString::fromStdString(portName) +
            QStringLiteral(".txt"))
        .toStdString();
}

bool CFileHandler::SetupNewPort() {
    PortSetupValues values;
    FillNewPortValues(values);
    Kind().DescribeNew(values);
    const std::string offered = NewPortFile(values.name);
    values.kindFields = {{"FileName", offered}};
    if (!Host().Ui().RunPortSetupDialog(values)) {
        return false;
    }
    if (const std::string* name = values.Field("FileName")) {
        FileName = *name;
    }
    // The data folder is made when its file is taken, not when offered.
    if (FileName == offered) {
        QDir().mkpath(QFileInfo(QString::fromStdString(FileName)).absolutePath());
    }
    MapTncChoice(values);
    ApplyNewPortValues(values);
    return true;
}

bool CFileHandler::EditSetup() {
    PortSetupValues values;
    FillSetupValues(values);
    Kind().Describe(values);
    values.kindFields = {{"FileName", FileName}};
    if (!Host().Ui().RunPortSetupDialog(values)) {
        return false;
    }
    // The file in use is not changed while the port is connected.
    if (!IsConnected()) {
        if (const std::string* name = values.Field("FileName")) {
            FileName = *name;
        }
    }
    MapTncChoice(values);
    ApplyEditValues(values);
    return true;
}

void CFileHandler::DoConnect() {
    // Never waits: a named pipe without a reader refuses the open (ENXIO)
    // instead of holding the event loop until one comes. A regular file
    // ignores O_NONBLOCK and is appended to without a user-space buffer, so
    // every write is in the file as soon as it returns.
    const NamedFile::Opened opened = OpenFile();
    m_fd = opened.fd;
    if (m_fd < 0 && opened.error == ENXIO) {
        PrintMessage("No reader yet");
        // The connect script decides about trying again.
        OnLinkStart();
        OnLinkEnd();
        return;
    }
    if (m_fd < 0) {
        PrintMessage("Failed Opening file " + FileName + ": " + opened.why);
        return;
    }
    m_output.Start(m_fd, [this](int error) { OnWriteError(error); });
    m_output.HoldWhenFull(true);
    SetConnected(true);
    OnLinkStart();
    PrintMessage("Port connected");
}

NamedFile::Opened CFileHandler::OpenFile() const {
    return NamedFile::Open(FileName, O_WRONLY | O_APPEND | O_CREAT, NamedFile::Kind::Stream);
}

bool CFileHandler::Reopen() {
    if (!IsConnected()) {
        return false;
    }
    const NamedFile::Opened opened = OpenFile();
    const int fd = opened.fd;
    if (fd < 0) {
        TellOperator(*this, Subject() + "cannot open it again (" + opened.why +
                                "), writing on to the old file");
        return false;
    }
    m_output.SwitchTo(fd);
    ::close(m_fd);
    m_fd = fd;
    return true;
}

CPortHandler::LinkEnd CFileHandler::DoDisconnect() {
    if (m_output.IsHolding()) {
        TellOperator(*this, Subject() + "disconnected while the disk is full, " +
                                std::to_string(m_output.PendingLines()) + " held lines and " +
                                std::to_string(m_dropped) + " dropped lines are lost");
    }
    StopRetrying();
    m_output.Stop();
    ::close(m_fd);
    m_fd = -1;
    return LinkEnd::Now;
}

void CFileHandler::Write(const char* data, int len) {
    if (!IsConnected() || data == nullptr || len <= 0) {
        return;
    }
    if (m_output.Write(data, static_cast<std::size_t>(len))) {
        return;
    }
    if (m_output.IsHolding()) {
        // Counted now, said once a minute.
        m_dropped += static_cast<std::size_t>(
            std::max<std::ptrdiff_t>(1, std::count(data, data + len, '\n')));
        return;
    }
    PrintMessage("File write error: the reader is not keeping up, text dropped");
}

void CFileHandler::OnWriteError(int error) {
    if (CWriteQueue::IsNoRoom(error) && m_output.IsHolding()) {
        if (m_retryTimer == 0) {
            m_fullReason = error == EFBIG ? "file size limit reached" : "disk full";
            m_dropped = 0;
            m_droppedSaid = 0;
            m_dropSaidAt = Host().Clock().NowSeconds();
            TellOperator(*this, Subject() + m_fullReason + ", holding " +
                                    std::to_string(m_output.PendingLines()) + " lines");
            m_retryTimer = Host().Loop().StartTimer(RetryMs, [this] { RetryFullDisk(); });
        }
        return;
    }
    PrintMessage("File write error");
    // A pipe whose reader has gone takes nothing more; a new open waits for
    // the next reader.
    if (error == EPIPE) {
        Disconnect();
    }
}

void CFileHandler::RetryFullDisk() {
    m_output.Retry();
    if (!m_output.IsHolding()) {
        StopRetrying();
        TellOperator(*this, Subject() + "writing again, " + std::to_string(m_dropped) +
                                " lines were dropped");
        m_dropped = 0;
        return;
    }
    const std::int64_t now = Host().Clock().NowSeconds();
    if (m_dropped != m_droppedSaid && now - m_dropSaidAt >= DropReportSeconds) {
        TellOperator(*this, Subject() + m_fullReason + ", " + std::to_string(m_dropped) +
                                " lines dropped so far");
        m_droppedSaid = m_dropped;
        m_dropSaidAt = now;
    }
}

void CFileHandler::StopRetrying() {
    if (m_retryTimer != 0) {
        Host().Loop().StopTimer(m_retryTimer);
        m_retryTimer = 0;
    }
}

void CFileHandler::SavePortType(CSetupFile& setup) const {
    setup.PutString("PortType", Kind().portType);
}

void CFileHandler::SaveKindSettings(CSetupFile& setup) const {
    setup.PutString("FileName", FileName);
}
