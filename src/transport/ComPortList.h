#pragma once

#include <string>
#include <vector>

// The choices of the COM port setup dialog's "Port" list: "COM1" to "COM8",
// then every serial device present under devRoot, as full paths: ttyS*,
// ttyUSB*, ttyACM* (each in number order) and serial/by-id/* (by name).
namespace ComPortList {

std::vector<std::string> Choices(const std::string& devRoot = "/dev");

} // namespace ComPortList
