#pragma once

#include "document/PortEntry.h"

#include <string>
#include <vector>

class IUiServices;

// The whole setup as the file holds it: the port count and the font, each
// port's section followed by its router's, one route section per port
// (its trace and one "Port" line per port, numbered from 1 in list order,
// 0 for none), then the window layout the UI reports.
//
//   NumberOfPorts=2
//   FontSize=20
//   ...
//   Trace=0
//   Port=2
namespace SetupWriter {

std::string Write(const std::vector<PortEntry>& ports, int fontSize, int fontWeight,
                  const std::string& fontFace, IUiServices& ui);

} // namespace SetupWriter
