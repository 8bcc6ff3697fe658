#pragma once

#include <termios.h>

class CComSettings;

// Turns a COM port's settings into the terminal attributes of its device.
//
// The line is raw (bytes pass unchanged both ways, no echo, no line editing),
// ignores the modem's carrier, and a read returns as soon as one byte is
// there. Settings this system cannot put on a line (1.5 stop bits, a rate
// outside the standard ones from 1200 to 230400, unknown codes) are refused
// rather than replaced by something near. DTR/DSR handshaking (FlowControl
// bit 1) has no equivalent here and is left out; the caller says so.
namespace ComTermios {

// Fills attributes, which hold what the driver reported, from settings.
// False when a setting cannot be expressed; attributes are then unspecified.
bool Configure(const CComSettings& settings, termios& attributes);

// The speed constant of a bits-per-second value; false when not supported.
bool SpeedOf(int baudRate, speed_t& speed);

} // namespace ComTermios
