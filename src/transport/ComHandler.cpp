#include "transport/ComHandler.h"

#include "platform/IEventLoop.h"
#include "platform/IUiServices.h"
#include "port/IPortHost.h"
#include "port/PortKind.h"
#include "port/PortSetupValues.h"
#include "setup/SetupFile.h"
#include "transport/ComPortList.h"
#include "transport/InputRoom.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>

const PortKind& CComHandler::Kind() {
    return PortKinds::Of(PortKindCode::Com);
}

CComHandler::CComHandler(IPortHost& host, IPortView& view)
    : CPortHandler(host, view), m_writer(host.Loop(), [this](int code) { PrintComError(code); }),
      m_pump([this] { ReadStep(); }) {}

CComHandler::CComHandler(CSetupFile& setup, IPortHost& host, IPortView& view)
    : CPortHandler(setup, host, view),
      m_writer(host.Loop(), [this](int code) { PrintComError(code); }),
      m_pump([this] { ReadStep(); }) {
    m_settings.Read(setup);
}

CComHandler::~CComHandler() {
    StopReading();
    m_writer.Stop();
    m_device.Close();
}

std::vector<std::string> CComHandler::PortChoices() {
    return ComPortList::Choices();
}

bool CComHandler::SetupNewPort() {
    PortSetupValues values;
    FillNewPortValues(values);
    Kind().DescribeNew(values);
    CComSettings defaults;
    defaults.ComPort = ComPortList::NewPortDevice();
    values.kindFields = defaults.DialogFields();
    if (!Host().Ui().RunPortSetupDialog(values)) {
        return false;
    }
    m_settings = defaults;
    m_settings.ApplyDialogFields(values);
    ApplyNewPortValues(values);
    return true;
}

bool CComHandler::EditSetup() {
    PortSetupValues values;
    FillSetupValues(values);
    Kind().Describe(values);
    values.kindFields = m_settings.DialogFields();
    if (!Host().Ui().RunPortSetupDialog(values)) {
        return false;
    }
    // The line keeps the settings it was opened with until it is closed.
    if (!IsConnected()) {
        m_settings.ApplyDialogFields(values);
    }
    ApplyEditValues(values);
    return true;
}

void CComHandler::SavePortType(CSetupFile& setup) const {
    setup.PutString("PortType", Kind().portType);
}

void CComHandler::SaveKindSettings(CSetupFile& setup) const {
    m_settings.Save(setup);
}

std::string CComHandler::Failure(const std::string& words) const {
    return words + " " + m_settings.DevicePath() + ": " + m_device.Refusal();
}

void CComHandler::DoConnect() {
    switch (m_device.Open(m_settings.DevicePath(), m_settings)) {
    case CComDevice::OpenResult::WrongKind:
    case CComDevice::OpenResult::OpenFailed:
        PrintMessage(Failure("Failure creating device file"));
        return;
    case CComDevice::OpenResult::GetStateFailed:
        PrintMessage(Failure("Error getting device state"));
        return;
    case CComDevice::OpenResult::SetStateFailed:
        PrintMessage(Failure("Error setting state"));
        return;
    case CComDevice::OpenResult::Ok:
        break;
    }
    if ((m_settings.FlowControl & 1) != 0 && !m_dtrDsrNoted) {
        m_dtrDsrNoted = true;
        PrintMessage("DTR/DSR handshake is not available on this system; the line runs "
                     "without it");
    }

    SetConnected(true);
    m_readBuffer.assign(static_cast<std::size_t>(BufferSize()), '\0');
    m_writer.Start(m_device.Fd());
    if (m_readNotifier == nullptr) {
        m_readNotifier = new QSocketNotifier(QSocketNotifier::Read, &m_context);
        QObject::connect(m_readNotifier, &QSocketNotifier::activated, &m_context,
                         [this] { m_pump.Run(); });
    }
    m_readNotifier->setSocket(m_device.Fd());
    m_readNotifier->setEnabled(true);
    PrintMessage("Port connected");

    m_device.RaiseModemLines((m_settings.FlowControl & 2) == 0);
    OnLinkStart();
    OnReceive("", 0);
}

CPortHandler::LinkEnd CComHandler::DoDisconnect() {
    StopReading();
    m_writer.Stop();
    m_device.Close();
    return LinkEnd::Now;
}

void CComHandler::Write(const char* data, int len) {
    if (!IsConnected() || len <= 0) {
        return;
    }
    m_writer.Write(data, static_cast<std::size_t>(len));
}

void CComHandler::ReadStep() {
    const int capacity = BufferSize() - 1;
    while (IsConnected()) {
        // What the driver holds, so that the room check sees the real
        // amount; when it cannot say, or says nothing is there although the
        // notifier fired, one read tells data from a hang-up.
        const int queued = m_device.Queued();
        const int wanted = std::min(capacity, queued < 0 ? capacity : std::max(queued, 1));
        const int room = CInputRoom::Bytes(*this, wanted);
        if (room <= 0) {
            // Full with lines waiting: the router makes room and asks again.
            m_readNotifier->setEnabled(false);
            return;
        }
        if (!ReadChunk(room) || queued <= room) {
            return;
        }
    }
}

bool CComHandler::ReadChunk(int max) {
    const long n = m_device.Read(m_readBuffer.data(), static_cast<std::size_t>(max));
    if (n > 0) {
        PrintText(std::string_view(m_readBuffer.data(), static_cast<std::size_t>(n)));
        OnReceive(m_readBuffer.data(), static_cast<int>(n));
        return true;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        return false;
    }
    // End of file or EIO is the line hung up (a USB adapter pulled, the
    // other end of a pseudo-terminal closed). Any other read error on a
    // terminal leaves nothing to read either; reporting it once and ending
    // the link beats a notifier that fires for ever.
    if (n < 0 && errno != EIO && errno != ENXIO && errno != ENODEV) {
        PrintComError(errno);
    }
    Disconnect();
    return false;
}

void CComHandler::OnInputTaken() {
    if (!IsConnected() || !CInputRoom::WorthReading(*this)) {
        return;
    }
    m_readNotifier->setEnabled(true);
    m_pump.Run();
}

void CComHandler::StopReading() {
    if (m_readNotifier != nullptr) {
        m_readNotifier->setEnabled(false);
    }
}

void CComHandler::PrintComError(int code) {
    PrintText("[" + PortName + ": COM Error " + std::to_string(code) + "]\n");
}
