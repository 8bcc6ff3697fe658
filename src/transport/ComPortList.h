#pragma once

#include <string>
#include <vector>

// The choices of the COM port setup dialog's "Port" list: the serial devices
// present under devRoot, as full paths: serial/by-id/* (by name; these
// names stay the same whichever USB socket an adapter is in), ttyUSB* and
// ttyACM* (each in number order), then the ttyS* lines that have a UART
// behind them. The kernel makes ttyS0 to ttyS31 whether or not there is
// hardware; ttyClass (the tty class folder of sysfs) says which have one:
// its "type" file holds 0 for none.
namespace ComPortList {

std::vector<std::string> Choices(const std::string& devRoot = "/dev",
                                 const std::string& ttyClass = "/sys/class/tty");

// The device a new port opens: the first choice, or /dev/ttyUSB0 (the first
// USB adapter to be plugged in) when there is none.
std::string NewPortDevice(const std::string& devRoot = "/dev",
                          const std::string& ttyClass = "/sys/class/tty");

} // namespace ComPortList
