#pragma once

#include "platform/WindowPlacement.h"

#include <string>
#include <string_view>

class CPortHandler;

// A port's window as the core sees it: the read-only traffic view, the title,
// the input bar and the stored placement. The main window of a document is an
// IPortView too (it receives the document's messages).
//
// Collaborators: the port base writes its traffic and messages here and
// attaches itself to the input bar while connected; the document asks for the
// placement when it saves. The GUI implements it with a sub-window; headless
// mode with a stream writer that remembers the loaded placement.
class IPortView {
  public:
    virtual ~IPortView() = default;

    // Appends text as received or printed (PrintFormat's result).
    virtual void AppendText(std::string_view text) = 0;

    // The window title is built from the status and the port name.
    virtual void SetTitleParts(const std::string& name, const std::string& status) = 0;
    virtual std::string PortName() const = 0;

    // Typed lines go to port->SendLine while attached.
    virtual void AttachInput(CPortHandler* port) = 0;
    virtual void DetachInput() = 0;

    virtual WindowPlacement GetPlacement() const = 0;
    virtual void SetPlacement(const WindowPlacement& placement) = 0;
};
