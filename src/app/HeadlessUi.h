#pragma once

#include "app/HeadlessPortView.h"
#include "platform/IUiServices.h"

#include <memory>
#include <string>
#include <vector>

// The user interface of a program without a screen.
//
// Message boxes go to standard error as "spotweaver: <text>" and are
// counted (a check run fails on any, and tells a setup mended on loading by
// the lines its ports wrote); a Yes/No question takes No, the answer
// that changes nothing; every dialog answers Cancel. The port selector and
// status bar are plain values. The main frame's layout is kept as loaded so
// that it saves back unchanged.
//
// Collaborators: the document, which owns nothing here; the port windows are
// CHeadlessPortViews owned by this object.
class CHeadlessUi : public IUiServices {
  public:
    // follow: copy every port's view to standard error; consoleOnStdout: the
    // console port "CON" writes to standard output.
    CHeadlessUi(bool follow, bool consoleOnStdout);
    ~CHeadlessUi() override;

    void MessageBox(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;

    std::string PortSelectorText() const override { return m_selectorText; }
    void ClearPortSelector() override { m_selector.clear(); }
    void AddPortSelectorItem(const std::string& name) override { m_selector.push_back(name); }
    void RemovePortSelectorItem(const std::string& name) override;
    void SelectFirstPortSelectorItem() override;
    std::vector<std::string> PortSelectorItems() const override { return m_selector; }

    void SetStatusBarText(const std::string& text) override { m_statusBar = text; }

    IPortView& MainView() override { return m_main; }
    IPortView* NewPortWindow() override;
    void ClosePortWindow(IPortView* window) override;

    bool RunConnectScriptDialog(ConnectScriptValues&) override { return false; }
    bool RunPortSetupDialog(PortSetupValues&) override { return false; }
    void RunRouteSetupDialog(CRouteSetupModel&) override {}
    bool RunFontDialog(int&, int&, std::string&) override { return false; }
    void ApplyFont(int, int, const std::string&) override {}

    MainFrameLayout GetMainFrameLayout() const override { return m_layout; }
    void SetMainFrameLayout(const MainFrameLayout& layout) override { m_layout = layout; }

    int MessageBoxCount() const { return m_boxes; }
    // True when a port wrote to its window: while loading, only to say that
    // a part of its section was dropped or clamped.
    bool PortWindowWritten() const;
    const std::string& StatusBarText() const { return m_statusBar; }
    // The port that lines typed at the console go to: the one attached to
    // the window of the port named "CON", while it is connected.
    CPortHandler* ConsoleInputPort() const;

  private:
    bool m_follow;
    bool m_consoleOnStdout;
    CHeadlessPortView m_main;
    std::vector<std::unique_ptr<CHeadlessPortView>> m_windows;
    std::vector<std::string> m_selector;
    std::string m_selectorText = "ALL";
    std::string m_statusBar;
    MainFrameLayout m_layout;
    int m_boxes = 0;
};
