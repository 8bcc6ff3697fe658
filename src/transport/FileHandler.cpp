#include "transport/FileHandler.h"

#include "platform/IUiServices.h"
#include "port/IPortHost.h"
#include "port/PortSetupValues.h"
#include "setup/SetupFile.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

CFileHandler::CFileHandler(IPortHost& host, IPortView& view) : CPortHandler(host, view) {}

CFileHandler::CFileHandler(CSetupFile& setup, IPortHost& host, IPortView& view)
    : CPortHandler(setup, host, view) {
    FileName = setup.GetString("FileName");
}

CFileHandler::~CFileHandler() {
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
    values.kind = "FILE";
    FillNewPortValues(values);
    values.name = "LOG";
    values.dataType = "CT User";
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
    values.kind = "FILE";
    FillSetupValues(values);
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

void CFileHandler::Connect() {
    if (IsConnected()) {
        return;
    }
    CPortHandler::Connect();
    Script().SetManualDisconnect();
    // Appending without a user-space buffer: every write is in the file as
    // soon as it returns.
    m_fd = ::open(FileName.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        PrintMessage("Failed Opening file");
        return;
    }
    SetConnected(true);
    OnLinkStart();
    PrintMessage("Port connected");
}

void CFileHandler::Disconnect() {
    if (!IsConnected()) {
        return;
    }
    SetConnected(false);
    ::close(m_fd);
    m_fd = -1;
    PrintMessage("Port disconnected");
    CPortHandler::Disconnect();
    OnLinkEnd();
}

void CFileHandler::Write(const char* data, int len) {
    if (!IsConnected() || m_fd < 0 || data == nullptr || len <= 0) {
        return;
    }
    std::size_t left = static_cast<std::size_t>(len);
    while (left > 0) {
        const ssize_t n = ::write(m_fd, data, left);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            PrintMessage("File write error");
            return;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
}

void CFileHandler::SavePortType(CSetupFile& setup) const {
    setup.PutString("PortType", "FILE");
}

void CFileHandler::SaveKindSettings(CSetupFile& setup) const {
    setup.PutString("FileName", FileName);
}
