#pragma once

#include <string>
#include <vector>

class IPortView;
struct ConnectScriptValues;
struct PortSetupValues;

// What the core asks of the user interface.
//
// Responsibilities: message boxes, the port selector and status bar of the
// main frame, creating and closing port windows, the main window that receives
// document messages, and the modal dialogs as requests that return OK/Cancel
// with their values. The GUI shows real widgets; headless mode writes message
// texts to standard error and takes OK or the answer that changes nothing;
// tests use RecordingUi with scripted answers.
class IUiServices {
public:
    virtual ~IUiServices() = default;

    virtual void MessageBox(const std::string& text) = 0;
    // Returns true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;

    // Port selector on the console toolbar: "ALL" or a port name.
    virtual std::string PortSelectorText() const = 0;
    virtual void ClearPortSelector() = 0;
    virtual void AddPortSelectorItem(const std::string& name) = 0;
    virtual void RemovePortSelectorItem(const std::string& name) = 0;
    virtual void SelectFirstPortSelectorItem() = 0;
    virtual std::vector<std::string> PortSelectorItems() const = 0;

    virtual void SetStatusBarText(const std::string& text) = 0;

    // The document's main window; document messages are appended to it.
    virtual IPortView& MainView() = 0;
    // A new port window, titled "Temp" until a port names it; null when none
    // can be made (the caller reports "Command failed.").
    virtual IPortView* NewPortWindow() = 0;
    virtual void ClosePortWindow(IPortView* window) = 0;

    // Modal dialogs; true on OK, with the values changed in place.
    virtual bool RunConnectScriptDialog(ConnectScriptValues& values) = 0;
    virtual bool RunPortSetupDialog(PortSetupValues& values) = 0;
};
