#include "transport/ComSettings.h"

#include "port/PortSetupValues.h"
#include "setup/SetupFile.h"

#include <array>

namespace {

constexpr std::array<const char*, 5> kParityTexts = {"NONE", "ODD", "EVEN", "MARK", "SPACE"};
constexpr std::array<const char*, 3> kStopBitsTexts = {"1", "1.5", "2"};

template <std::size_t N>
int CodeOf(const std::array<const char*, N>& texts, std::string_view text) {
    for (std::size_t i = 0; i < N; ++i) {
        if (text == texts[i]) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

template <std::size_t N> std::string TextOf(const std::array<const char*, N>& texts, int code) {
    if (code < 0 || static_cast<std::size_t>(code) >= N) {
        return texts[0];
    }
    return texts[static_cast<std::size_t>(code)];
}

// The serial number of a "COMn" name, or 0 when the name is not one.
int ComNumber(std::string_view name) {
    if (name.size() < 4 || name.substr(0, 3) != "COM") {
        return 0;
    }
    int number = 0;
    for (char c : name.substr(3)) {
        if (c < '0' || c > '9' || number > 9999) {
            return 0;
        }
        number = number * 10 + (c - '0');
    }
    return number;
}

} // namespace

void CComSettings::Read(CSetupFile& setup) {
    ComPort = StoredPortName(setup.GetString("ComPort"));
    BaudRate = setup.GetInt("BaudRate");
    Bits = setup.GetInt("Bits");
    Parity = setup.GetInt("Parity");
    StopBits = setup.GetInt("StopBits");
    FlowControl = setup.GetInt("FlowControl");
}

void CComSettings::Save(CSetupFile& setup) const {
    setup.PutString("ComPort", ComPort);
    setup.PutInt("BaudRate", BaudRate);
    setup.PutInt("Bits", Bits);
    setup.PutInt("Parity", Parity);
    setup.PutInt("StopBits", StopBits);
    setup.PutInt("FlowControl", FlowControl);
}

std::vector<std::pair<std::string, std::string>> CComSettings::DialogFields() const {
    return {{"ComPort", ComPort},
            {"BaudRate", std::to_string(BaudRate)},
            {"Bits", std::to_string(Bits)},
            {"Parity", ParityText(Parity)},
            {"StopBits", StopBitsText(StopBits)},
            {"FlowControl", FlowControlText(FlowControl)}};
}

void CComSettings::ApplyDialogFields(const PortSetupValues& values) {
    if (const std::string* text = values.Field("ComPort")) {
        ComPort = StoredPortName(*text);
    }
    if (const std::string* text = values.Field("BaudRate")) {
        BaudRate = CSetupFile::ToInt(*text);
    }
    if (const std::string* text = values.Field("Bits")) {
        Bits = CSetupFile::ToInt(*text);
    }
    if (const std::string* text = values.Field("Parity"); text && *text != ParityText(Parity)) {
        Parity = ParityCode(*text);
    }
    if (const std::string* text = values.Field("StopBits");
        text && *text != StopBitsText(StopBits)) {
        StopBits = StopBitsCode(*text);
    }
    if (const std::string* text = values.Field("FlowControl");
        text && *text != FlowControlText(FlowControl)) {
        FlowControl = FlowControlCode(*text);
    }
}

std::string CComSettings::DevicePath() const {
    if (!ComPort.empty() && ComPort[0] == '/') {
        return ComPort;
    }
    if (const int number = ComNumber(ComPort); number >= 1) {
        return "/dev/ttyS" + std::to_string(number - 1);
    }
    return "/dev/" + ComPort;
}

std::string CComSettings::StoredPortName(std::string_view text) {
    if (!text.empty() && text[0] == '/') {
        return std::string(text);
    }
    return std::string(text.substr(0, MaxPortName));
}

int CComSettings::ParityCode(std::string_view text) {
    return CodeOf(kParityTexts, text);
}

int CComSettings::StopBitsCode(std::string_view text) {
    return CodeOf(kStopBitsTexts, text);
}

int CComSettings::FlowControlCode(std::string_view text) {
    if (text == "NONE") {
        return 0;
    }
    if (text == "DTRDSR") {
        return 1;
    }
    if (text == "RTSCTS") {
        return 2;
    }
    return 4;
}

std::string CComSettings::ParityText(int code) {
    return TextOf(kParityTexts, code);
}

std::string CComSettings::StopBitsText(int code) {
    return TextOf(kStopBitsTexts, code);
}

// The dialog lists one handshake; a stored combination shows its strongest
// part.
std::string CComSettings::FlowControlText(int code) {
    if ((code & 2) != 0) {
        return "RTSCTS";
    }
    if ((code & 1) != 0) {
        return "DTRDSR";
    }
    if ((code & 4) != 0) {
        return "XONXOFF";
    }
    return "NONE";
}
