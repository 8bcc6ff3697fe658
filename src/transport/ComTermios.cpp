#include "transport/ComTermios.h"

#include "transport/ComSettings.h"

namespace {

constexpr cc_t XonChar = 17;
constexpr cc_t XoffChar = 19;

struct SpeedEntry {
    int baudRate;
    speed_t speed;
};

constexpr SpeedEntry kSpeeds[] = {
    {1200, B1200},   {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

bool SizeOf(int bits, tcflag_t& size) {
    switch (bits) {
    case 5:
        size = CS5;
        return true;
    case 6:
        size = CS6;
        return true;
    case 7:
        size = CS7;
        return true;
    case 8:
        size = CS8;
        return true;
    default:
        return false;
    }
}

bool ParityFlagsOf(int parity, tcflag_t& flags) {
    switch (parity) {
    case 0:
        flags = 0;
        return true;
    case 1:
        flags = PARENB | PARODD;
        return true;
    case 2:
        flags = PARENB;
        return true;
    case 3: // the parity bit always set
        flags = PARENB | CMSPAR | PARODD;
        return true;
    case 4: // the parity bit always clear
        flags = PARENB | CMSPAR;
        return true;
    default:
        return false;
    }
}

bool StopFlagsOf(int stopBits, tcflag_t& flags) {
    switch (stopBits) {
    case 0:
        flags = 0;
        return true;
    case 2:
        flags = CSTOPB;
        return true;
    default: // 1 is one and a half stop bits, which a line here cannot do
        return false;
    }
}

} // namespace

bool ComTermios::SpeedOf(int baudRate, speed_t& speed) {
    for (const SpeedEntry& entry : kSpeeds) {
        if (entry.baudRate == baudRate) {
            speed = entry.speed;
            return true;
        }
    }
    return false;
}

bool ComTermios::Configure(const CComSettings& settings, termios& attributes) {
    speed_t speed = B0;
    tcflag_t size = 0;
    tcflag_t parity = 0;
    tcflag_t stop = 0;
    if (!SpeedOf(settings.BaudRate, speed) || !SizeOf(settings.Bits, size) ||
        !ParityFlagsOf(settings.Parity, parity) || !StopFlagsOf(settings.StopBits, stop)) {
        return false;
    }

    cfmakeraw(&attributes);
    attributes.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    attributes.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    attributes.c_cflag |= CREAD | CLOCAL | size | parity | stop;
    if ((settings.FlowControl & 2) != 0) {
        attributes.c_cflag |= CRTSCTS;
    }
    if ((settings.FlowControl & 4) != 0) {
        attributes.c_iflag |= IXON | IXOFF;
    }
    attributes.c_cc[VSTART] = XonChar;
    attributes.c_cc[VSTOP] = XoffChar;
    attributes.c_cc[VMIN] = 1;
    attributes.c_cc[VTIME] = 0;
    return cfsetispeed(&attributes, speed) == 0 && cfsetospeed(&attributes, speed) == 0;
}
