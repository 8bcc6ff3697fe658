#include "transport/ComTermios.h"

#include "transport/ComSettings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

CComSettings SettingsOf(int baudRate, int bits, int parity, int stopBits, int flowControl) {
    CComSettings settings;
    settings.BaudRate = baudRate;
    settings.Bits = bits;
    settings.Parity = parity;
    settings.StopBits = stopBits;
    settings.FlowControl = flowControl;
    return settings;
}

// Attributes as a terminal starts out: line editing, echo, output
// processing and the CR/LF translations a serial line must not have.
termios Cooked() {
    termios t{};
    t.c_iflag = ICRNL | IXON | ISTRIP | INLCR | IGNCR;
    t.c_oflag = OPOST | ONLCR;
    t.c_lflag = ICANON | ECHO | ECHOE | ISIG | IEXTEN;
    t.c_cflag = CS8 | CREAD | HUPCL | PARENB;
    return t;
}

struct TermiosRow {
    const char* name;
    int baudRate;
    int bits;
    int parity;
    int stopBits;
    int flowControl;
    speed_t speed;
    tcflag_t size;
    tcflag_t parityFlags;
    tcflag_t stopFlag;
    tcflag_t hardwareFlow;
    tcflag_t softwareFlow;
};

class ComTermiosTest : public ::testing::TestWithParam<TermiosRow> {};

TEST_P(ComTermiosTest, Configure_RawLineWithTheSettings) {
    const TermiosRow& row = GetParam();
    termios t = Cooked();

    ASSERT_TRUE(ComTermios::Configure(
        SettingsOf(row.baudRate, row.bits, row.parity, row.stopBits, row.flowControl), t));

    EXPECT_EQ(cfgetispeed(&t), row.speed);
    EXPECT_EQ(cfgetospeed(&t), row.speed);
    EXPECT_EQ(t.c_cflag & CSIZE, row.size);
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), row.parityFlags);
    EXPECT_EQ(t.c_cflag & CSTOPB, row.stopFlag);
    EXPECT_EQ(t.c_cflag & CRTSCTS, row.hardwareFlow);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY), row.softwareFlow);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | INPCK), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_cc[VSTART], 17);
    EXPECT_EQ(t.c_cc[VSTOP], 19);
    EXPECT_EQ(t.c_cc[VMIN], 1);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ComTermiosTest,
    ::testing::Values(
        TermiosRow{"Defaults1200_8N1_XonXoff", 1200, 8, 0, 0, 4, B1200, CS8, 0, 0, 0, IXON | IXOFF},
        TermiosRow{"Seven2400Odd", 2400, 7, 1, 0, 0, B2400, CS7, PARENB | PARODD, 0, 0, 0},
        TermiosRow{"Seven4800EvenTwoStop", 4800, 7, 2, 2, 2, B4800, CS7, PARENB, CSTOPB, CRTSCTS,
                   0},
        TermiosRow{"Mark9600", 9600, 8, 3, 0, 6, B9600, CS8, PARENB | CMSPAR | PARODD, 0, CRTSCTS,
                   IXON | IXOFF},
        TermiosRow{"Space38400", 38400, 8, 4, 0, 4, B38400, CS8, PARENB | CMSPAR, 0, 0,
                   IXON | IXOFF},
        TermiosRow{"DtrDsrOnlyHasNoHandshake", 57600, 8, 0, 0, 1, B57600, CS8, 0, 0, 0, 0},
        TermiosRow{"Fast230400", 230400, 8, 0, 2, 0, B230400, CS8, 0, CSTOPB, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedRow {
    const char* name;
    int baudRate;
    int bits;
    int parity;
    int stopBits;
};

class ComTermiosRefusedTest : public ::testing::TestWithParam<RefusedRow> {};

TEST_P(ComTermiosRefusedTest, Configure_RefusesWhatTheLineCannotDo) {
    const RefusedRow& row = GetParam();
    termios t = Cooked();

    EXPECT_FALSE(
        ComTermios::Configure(SettingsOf(row.baudRate, row.bits, row.parity, row.stopBits, 4), t));
}

INSTANTIATE_TEST_SUITE_P(Rows, ComTermiosRefusedTest,
                         ::testing::Values(RefusedRow{"OneAndAHalfStopBits", 1200, 8, 0, 1},
                                           RefusedRow{"StopBitsCodeThree", 1200, 8, 0, 3},
                                           RefusedRow{"NonStandardBaud", 1234, 8, 0, 0},
                                           RefusedRow{"Baud600BelowRange", 600, 8, 0, 0},
                                           RefusedRow{"Baud460800AboveRange", 460800, 8, 0, 0},
                                           RefusedRow{"NineBits", 1200, 9, 0, 0},
                                           RefusedRow{"FourBits", 1200, 4, 0, 0},
                                           RefusedRow{"ParityCodeFive", 1200, 8, 5, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
