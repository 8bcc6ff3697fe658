#pragma once

#include "platform/MainFrameLayout.h"

#include <string>
#include <vector>

class IPortView;
class CRouteSetupModel;
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
    // The Route Setup dialog over its model; returns when "Done" is pressed.
    virtual void RunRouteSetupDialog(CRouteSetupModel& model) = 0;
    // The font dialog, opened with the current values; true on OK.
    virtual bool RunFontDialog(int& size, int& weight, std::string& face) = 0;

    // The font of every window of the document.
    virtual void ApplyFont(int size, int weight, const std::string& face) = 0;

    // The main frame's layout, as loaded and saved with the setup. A front
    // end without a main frame keeps what it was given.
    virtual MainFrameLayout GetMainFrameLayout() const = 0;
    virtual void SetMainFrameLayout(const MainFrameLayout& layout) = 0;
};
