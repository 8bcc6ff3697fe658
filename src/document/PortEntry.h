#pragma once

#include <memory>

class CPortHandler;
class IPortView;

// One port of the setup and the window that shows it. The port lets go of
// its window as it is destroyed, so the port goes first and the window is
// closed after it.
struct PortEntry {
    std::unique_ptr<CPortHandler> port;
    IPortView* window = nullptr;
};
