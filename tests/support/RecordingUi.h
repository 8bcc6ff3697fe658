#pragma once

#include "platform/IUiServices.h"
#include "port/ConnectScriptValues.h"
#include "port/PortSetupValues.h"
#include "support/RecordingPortView.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// UI services that record what the core shows and answer from a script.
class RecordingUi : public IUiServices {
  public:
    void MessageBox(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text) override;

    std::string PortSelectorText() const override { return selectorText; }
    void ClearPortSelector() override { selectorItems.clear(); }
    void AddPortSelectorItem(const std::string& name) override { selectorItems.push_back(name); }
    void RemovePortSelectorItem(const std::string& name) override;
    void SelectFirstPortSelectorItem() override;
    std::vector<std::string> PortSelectorItems() const override { return selectorItems; }

    void SetStatusBarText(const std::string& text) override { statusBar = text; }

    IPortView& MainView() override { return mainView; }
    IPortView* NewPortWindow() override;
    void ClosePortWindow(IPortView* window) override;

    bool RunConnectScriptDialog(ConnectScriptValues& values) override;
    bool RunPortSetupDialog(PortSetupValues& values) override;
    void RunRouteSetupDialog(CRouteSetupModel& model) override;
    bool RunFontDialog(int& size, int& weight, std::string& face) override;
    void ApplyFont(int size, int weight, const std::string& face) override;
    MainFrameLayout GetMainFrameLayout() const override { return layout; }
    void SetMainFrameLayout(const MainFrameLayout& l) override { layout = l; }

    // Questions asked, and the scripted answers (Yes when none is left).
    std::vector<std::string> questions;
    std::deque<bool> answers;
    std::vector<std::string> messages;
    std::string selectorText = "ALL";
    std::vector<std::string> selectorItems;
    std::string statusBar;
    RecordingPortView mainView;
    std::vector<std::unique_ptr<RecordingPortView>> windows;
    int closedWindows = 0;
    bool refuseNewWindow = false;

    // Dialog scripts: called with the values; the return value is OK/Cancel.
    // Without one, the script dialog answers Cancel and the port dialog OK.
    std::function<bool(ConnectScriptValues&)> scriptDialog;
    std::function<bool(PortSetupValues&)> portDialog;
    std::vector<PortSetupValues> portDialogsShown;
    std::function<void(CRouteSetupModel&)> routeDialog;
    int routeDialogsShown = 0;
    std::function<bool(int&, int&, std::string&)> fontDialog;
    struct Font {
        int size = 0;
        int weight = 0;
        std::string face;
    } appliedFont;
    int fontApplications = 0;
    MainFrameLayout layout;
};
