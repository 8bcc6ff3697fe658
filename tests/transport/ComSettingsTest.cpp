#include "transport/ComSettings.h"

#include "port/PortSetupValues.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TextRow {
    const char* name;
    const char* key;
    const char* text;
    int code;
};

class ComSettingsTextTest : public ::testing::TestWithParam<TextRow> {};

TEST_P(ComSettingsTextTest, DialogTextGivesCode) {
    const TextRow& row = GetParam();
    const std::string key = row.key;
    const int code = key == "Parity"     ? CComSettings::ParityCode(row.text)
                     : key == "StopBits" ? CComSettings::StopBitsCode(row.text)
                                         : CComSettings::FlowControlCode(row.text);
    EXPECT_EQ(code, row.code);
}

INSTANTIATE_TEST_SUITE_P(Texts, ComSettingsTextTest,
                         ::testing::Values(TextRow{"ParityNone", "Parity", "NONE", 0},
                                           TextRow{"ParityOdd", "Parity", "ODD", 1},
                                           TextRow{"ParityEven", "Parity", "EVEN", 2},
                                           TextRow{"ParityMark", "Parity", "MARK", 3},
                                           TextRow{"ParitySpace", "Parity", "SPACE", 4},
                                           TextRow{"ParityLowerCaseIsUnknown", "Parity", "odd", 0},
                                           TextRow{"StopOne", "StopBits", "1", 0},
                                           TextRow{"StopOneAndAHalf", "StopBits", "1.5", 1},
                                           TextRow{"StopTwo", "StopBits", "2", 2},
                                           TextRow{"StopUnknown", "StopBits", "3", 0},
                                           TextRow{"FlowDtrDsr", "FlowControl", "DTRDSR", 1},
                                           TextRow{"FlowRtsCts", "FlowControl", "RTSCTS", 2},
                                           TextRow{"FlowXonXoff", "FlowControl", "XONXOFF", 4},
                                           TextRow{"FlowNone", "FlowControl", "NONE", 0},
                                           TextRow{"FlowUnknown", "FlowControl", "none", 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ComSettingsTest, CodesShowAsTheDialogTexts) {
    EXPECT_EQ(CComSettings::ParityText(0), "NONE");
    EXPECT_EQ(CComSettings::ParityText(1), "ODD");
    EXPECT_EQ(CComSettings::ParityText(2), "EVEN");
    EXPECT_EQ(CComSettings::ParityText(3), "MARK");
    EXPECT_EQ(CComSettings::ParityText(4), "SPACE");
    EXPECT_EQ(CComSettings::ParityText(9), "NONE");
    EXPECT_EQ(CComSettings::StopBitsText(0), "1");
    EXPECT_EQ(CComSettings::StopBitsText(1), "1.5");
    EXPECT_EQ(CComSettings::StopBitsText(2), "2");
    EXPECT_EQ(CComSettings::FlowControlText(1), "DTRDSR");
    EXPECT_EQ(CComSettings::FlowControlText(2), "RTSCTS");
    EXPECT_EQ(CComSettings::FlowControlText(4), "XONXOFF");
    EXPECT_EQ(CComSettings::FlowControlText(6), "RTSCTS");
    EXPECT_EQ(CComSettings::FlowControlText(0), "NONE");
}

struct PathRow {
    const char* name;
    const char* comPort;
    const char* device;
};

class ComSettingsPathTest : public ::testing::TestWithParam<PathRow> {};

TEST_P(ComSettingsPathTest, DevicePath) {
    CComSettings settings;
    settings.ComPort = GetParam().comPort;
    EXPECT_EQ(settings.DevicePath(), GetParam().device);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ComSettingsPathTest,
    ::testing::Values(PathRow{"Com1IsFirstUart", "COM1", "/dev/ttyS0"},
                      PathRow{"Com2IsSecondUart", "COM2", "/dev/ttyS1"},
                      PathRow{"Com8IsEighthUart", "COM8", "/dev/ttyS7"},
                      PathRow{"PathStandsAsItIs", "/dev/ttyUSB0", "/dev/ttyUSB0"},
                      PathRow{"ByIdPathStandsAsItIs",
                              "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A600ABCD-if00-port0",
                              "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A600ABCD-if00-port0"},
                      PathRow{"BareNameIsUnderDev", "ttyACM0", "/dev/ttyACM0"},
                      PathRow{"ComZeroIsNoUart", "COM0", "/dev/COM0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ComSettingsTest, StoredPortName_NameCutToSevenPathKeptWhole) {
    EXPECT_EQ(CComSettings::StoredPortName("COM12345678"), "COM1234");
    EXPECT_EQ(CComSettings::StoredPortName("COM2"), "COM2");
    EXPECT_EQ(CComSettings::StoredPortName("/dev/serial/by-id/usb-Prolific_2303-if00-port0"),
              "/dev/serial/by-id/usb-Prolific_2303-if00-port0");
}

TEST(ComSettingsTest, ApplyDialogFields_ChangedTextsMapUntouchedTextsKeepTheirCode) {
    CComSettings settings;
    settings.ComPort = "COM3";
    settings.BaudRate = 4800;
    settings.Bits = 7;
    settings.Parity = 2;
    settings.StopBits = 2;
    settings.FlowControl = 6;
    PortSetupValues values;
    values.kindFields = settings.DialogFields();
    values.kindFields[0].second = "/dev/ttyUSB1";
    values.kindFields[1].second = "9600";
    values.kindFields[3].second = "SPACE";

    settings.ApplyDialogFields(values);

    EXPECT_EQ(settings.ComPort, "/dev/ttyUSB1");
    EXPECT_EQ(settings.BaudRate, 9600);
    EXPECT_EQ(settings.Bits, 7);
    EXPECT_EQ(settings.Parity, 4);
    EXPECT_EQ(settings.StopBits, 2);
    EXPECT_EQ(settings.FlowControl, 6);
}

TEST(ComSettingsTest, ApplyDialogFields_UnknownTextsGiveTheFallbackCodes) {
    CComSettings settings;
    settings.Parity = 3;
    settings.StopBits = 2;
    settings.FlowControl = 2;
    PortSetupValues values;
    values.kindFields = {{"Parity", "?"}, {"StopBits", "?"}, {"FlowControl", "?"}};

    settings.ApplyDialogFields(values);

    EXPECT_EQ(settings.Parity, 0);
    EXPECT_EQ(settings.StopBits, 0);
    EXPECT_EQ(settings.FlowControl, 4);
    EXPECT_EQ(settings.ComPort, "COM2");
    EXPECT_EQ(settings.BaudRate, 1200);
}

} // namespace
