#include "transport/FileHandler.h"

#include "platform/IUiServices.h"
#include "port/IPortHost.h"
#include "port/PortKind.h"
#include "port/PortSetupValues.h"
#include "setup/NamedFile.h"
#include "setup/SetupFile.h"

#include <cerrno>

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

bool CFileHandler::SetupNewPort() {
    PortSetupValues values;
    FillNewPortValues(values);
    Kind().DescribeNew(values);
    values.kindFields = {{"FileName", "Default.txt"}};
    if (!Host().Ui().RunPortSetupDialog(values)) {
        return false;
    }
    if (const std::string* name = values.Field("FileName")) {
        FileName = *name;
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
    const NamedFile::Opened opened =
        NamedFile::Open(FileName, O_WRONLY | O_APPEND | O_CREAT, NamedFile::Kind::Stream);
    m_fd = opened.fd;
    if (opened.wrongKind) {
        PrintMessage(FileName + " " + opened.why);
    }
    if (m_fd < 0 && opened.error == ENXIO) {
        PrintMessage("No reader yet");
        // The connect script decides about trying again.
        OnLinkStart();
        OnLinkEnd();
        return;
    }
    if (m_fd < 0) {
        PrintMessage("Failed Opening file");
        return;
    }
    m_output.Start(m_fd, [this](int error) { OnWriteError(error); });
    SetConnected(true);
    OnLinkStart();
    PrintMessage("Port connected");
}

CPortHandler::LinkEnd CFileHandler::DoDisconnect() {
    m_output.Stop();
    ::close(m_fd);
    m_fd = -1;
    return LinkEnd::Now;
}

void CFileHandler::Write(const char* data, int len) {
    if (!IsConnected() || data == nullptr || len <= 0) {
        return;
    }
    if (!m_output.Write(data, static_cast<std::size_t>(len))) {
        PrintMessage("File write error: the reader is not keeping up, text dropped");
    }
}

void CFileHandler::OnWriteError(int error) {
    PrintMessage("File write error");
    // A pipe whose reader has gone takes nothing more; a new open waits for
    // the next reader.
    if (error == EPIPE) {
        Disconnect();
    }
}

void CFileHandler::SavePortType(CSetupFile& setup) const {
    setup.PutString("PortType", Kind().portType);
}

void CFileHandler::SaveKindSettings(CSetupFile& setup) const {
    setup.PutString("FileName", FileName);
}
