#include "transport/WebHandler.h"

#include "platform/IClock.h"
#include "port/PortSetupValues.h"
#include "setup/SetupFile.h"
#include "spots/JsonSpotReader.h"
#include "spots/SpotFields.h"

#include <QHostAddress>

#include <algorithm>
#include <charconv>

CWebHandler::CWebHandler(IPortHost& host, IPortView& view)
    : CNetPort(host, view), m_api(m_store, host, m_access),
      m_server([this](const HttpRequest& request, bool loopback,
                      HttpResponse& response) { m_api.Answer(request, loopback, response); },
               [this](std::string_view line) { PrintMessage(line); }) {}

//   HostName=127.0.0.1
//   PortNumber=8073
//   WebToken=s3cret     (only when set)
//   WebPublicRead=1     (only when on)
//   WebKeep=500,30      (only when not 1000,60)
CWebHandler::CWebHandler(CSetupFile& setup, IPortHost& host, IPortView& view)
    : CNetPort(setup, host, view), m_api(m_store, host, m_access),
      m_server([this](const HttpRequest& request, bool loopback,
                      HttpResponse& response) { m_api.Answer(request, loopback, response); },
               [this](std::string_view line) { PrintMessage(line); }) {
    HostName = setup.GetString("HostName");
    PortNumber = PortNumberOf(setup.GetInt("PortNumber"));
    if (setup.IsNextKey("WebToken")) {
        m_access.token = setup.GetString("WebToken");
    }
    if (setup.IsNextKey("WebPublicRead")) {
        m_access.publicRead = setup.GetInt("WebPublicRead") != 0;
    }
    if (setup.IsNextKey("WebKeep")) {
        SetKeep(setup.GetString("WebKeep"));
    }
}

CWebHandler::~CWebHandler() = default;

void CWebHandler::SaveKindSettings(CSetupFile& setup) const {
    setup.PutString("HostName", HostName);
    setup.PutInt("PortNumber", PortNumber);
    if (!m_access.token.empty()) {
        setup.PutString("WebToken", m_access.token);
    }
    if (m_access.publicRead) {
        setup.PutInt("WebPublicRead", 1);
    }
    if (m_store.KeepCount() != CWebSpotStore::DefaultCount ||
        m_store.KeepMinutes() != CWebSpotStore::DefaultMinutes) {
        setup.PutString("WebKeep", KeepText());
    }
}

std::string CWebHandler::KeepText() const {
    return std::to_string(m_store.KeepCount()) + "," + std::to_string(m_store.KeepMinutes());
}

void CWebHandler::SetKeep(std::string_view text) {
    const std::size_t comma = text.find(',');
    long long count = 0;
    long long minutes = 0;
    const std::string_view first = text.substr(0, comma);
    const std::string_view second =
        comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    const auto a = std::from_chars(first.data(), first.data() + first.size(), count);
    const auto b = std::from_chars(second.data(), second.data() + second.size(), minutes);
    if (a.ec != std::errc() || a.ptr != first.data() + first.size() || b.ec != std::errc() ||
        b.ptr != second.data() + second.size()) {
        PrintMessage("WebKeep \"" + std::string(text) + "\" is not <count>,<minutes>, using " +
                     KeepText());
        return;
    }
    const long long usedCount = std::clamp<long long>(count, 1, MaxKeepCount);
    const long long usedMinutes = std::clamp<long long>(minutes, 1, MaxKeepMinutes);
    m_store.SetKeep(static_cast<std::size_t>(usedCount), static_cast<int>(usedMinutes));
    if (usedCount != count || usedMinutes != minutes) {
        PrintMessage("WebKeep " + std::string(text) + " is out of range, using " + KeepText());
    }
}

CNetPort::Fields CWebHandler::KindFields() const {
    return {{"HostName", HostName},
            {"PortNumber", std::to_string(PortNumber)},
            {"WebToken", m_access.token},
            {"WebPublicRead", m_access.publicRead ? "1" : "0"},
            {"WebKeep", KeepText()}};
}

void CWebHandler::ApplyKindFields(const PortSetupValues& values) {
    HostName = FieldOf(values, "HostName", HostName);
    PortNumber = PortNumberOf(FieldOf(values, "PortNumber", std::to_string(PortNumber)));
    m_access.token = FieldOf(values, "WebToken", m_access.token);
    m_access.publicRead = FieldOf(values, "WebPublicRead", m_access.publicRead ? "1" : "0") == "1";
    const std::string keep = FieldOf(values, "WebKeep", KeepText());
    if (keep != KeepText()) {
        SetKeep(keep);
    }
}

std::string CWebHandler::StatusDetail() const {
    return IsConnected() ? "/" + std::to_string(m_server.Streams()) : std::string();
}

void CWebHandler::DoConnect() {
    QHostAddress address;
    if (HostName == "localhost") {
        address = QHostAddress(QHostAddress::LocalHost);
    } else if (!address.setAddress(QString::fromStdString(HostName))) {
        PrintMessage("Cannot listen on " + HostName + ": not an address of this machine");
        return;
    }
    // Anyone who reaches the address could read and command the ports.
    if (!address.isLoopback() && m_access.token.empty()) {
        PrintMessage("Listening on " + HostName + " needs a WebToken; the port stays closed");
        return;
    }
    if (!m_server.Open(address, PortNumber)) {
        return;
    }
    SetConnected(true);
    OnLinkStart();
}

CPortHandler::LinkEnd CWebHandler::DoDisconnect() {
    m_server.Close();
    return LinkEnd::Now;
}

// The router hands over one object per call, "{...}\n".
void CWebHandler::Write(const char* data, int len) {
    std::string_view text(data, static_cast<std::size_t>(std::max(len, 0)));
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        if (!line.empty()) {
            Keep(line);
        }
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
}

void CWebHandler::Keep(std::string_view object) {
    CJsonSpotReader reader;
    SpotFields fields;
    if (!reader.Read(object, fields)) {
        PrintMessage("Not a JSON spot, not kept: " + std::string(object.substr(0, 80)));
        return;
    }
    CWebSpotStore::Entry entry;
    entry.json = object;
    entry.band = reader.Band();
    entry.mode = reader.Mode();
    entry.when = reader.When();
    entry.kHz = reader.Khz();
    const std::int64_t now = Clock().NowSeconds();
    entry.arrived = now;
    m_store.Add(std::move(entry), now);
    m_server.Push(object);
}
