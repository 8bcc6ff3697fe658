#pragma once

#include "platform/IUiServices.h"
#include "transport/PortFactory.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class CChildFrame;
class CMainFrame;
class CSpotweaverDoc;
class IClock;
class IEventLoop;
class QTimer;

// One open setup in the main frame: the setup document with its windows, and
// the user interface it talks to.
//
// Responsibilities: owning the CSpotweaverDoc (with the shared event loop and
// clock and its own port factory) and its windows, the first of which is the
// main window "Main"; loading the ports at the first activation after a file
// was opened; the questions asked when a window closes; this document's port
// selector list and status text, which the main frame shows while the
// document is active; the modal dialogs as real widgets.
//
// Collaborators: CMainFrame (MDI area, port selector, status bar, layout),
// CChildFrame (windows), the dialogs.
class CGuiDocument : public QObject, public IUiServices {
    Q_OBJECT
  public:
    CGuiDocument(CMainFrame& frame, IEventLoop& loop, const IClock& clock, const QString& title);
    ~CGuiDocument() override;

    CSpotweaverDoc& Doc() const { return *m_doc; }
    CMainFrame& Frame() const { return m_frame; }
    QString Title() const { return m_title; }
    QString Path() const { return m_path; }
    void SetPath(const QString& path);

    // File > New: the empty setup runs at once.
    void StartNew();
    // File > Open: keeps the file's lines; the ports are built at the first
    // activation of the main window.
    bool Open(const QString& path, std::string& error);
    // Loads the ports now if the document was read and not loaded yet.
    void EnsureLoaded();
    // No ports (nor ports still to load).
    bool IsEmpty() const;
    // An empty setup from File > New that nothing changed and no file holds.
    bool IsUntouched() const;
    // The status bar and titles again, after a command that may change them.
    void RefreshStatus();
    // A port printed into its window, as it does on every change of state:
    // titles and status bar follow within StatusDelayMs.
    void NoteWindowOutput();
    static constexpr int StatusDelayMs = 50;
    // Asks before a setup with connected callers or links closes; true when
    // none are connected or the user agrees.
    bool MayCloseConnections();

    CChildFrame& MainWindow() const { return *m_main; }
    int WindowCount() const { return static_cast<int>(m_windows.size()); }
    const std::vector<CChildFrame*>& Windows() const { return m_windows; }
    bool Owns(const QObject* window) const;

    // Window events.
    void OnWindowActivated(CChildFrame& window);
    bool MayCloseWindow(CChildFrame& window);
    void OnPortWindowCommand(CChildFrame& window, int commandId);
    void OnWindowDestroyed(CChildFrame* window);

    // The port selector as the user left it.
    void SelectPort(const std::string& text) { m_selectorText = text; }
    const std::string& StatusText() const { return m_statusText; }

    // Disconnects every port; the ports and windows stay.
    void DisconnectAll();
    // Disconnects and destroys every port, then closes every window; the
    // main frame forgets the document.
    void Close();

    // IUiServices
    void MessageBox(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    std::string PortSelectorText() const override { return m_selectorText; }
    void ClearPortSelector() override;
    void AddPortSelectorItem(const std::string& name) override;
    void RemovePortSelectorItem(const std::string& name) override;
    void SelectFirstPortSelectorItem() override;
    std::vector<std::string> PortSelectorItems() const override { return m_selectorItems; }
    void SetStatusBarText(const std::string& text) override;
    IPortView& MainView() override;
    IPortView* NewPortWindow() override;
    void ClosePortWindow(IPortView* window) override;
    bool RunConnectScriptDialog(ConnectScriptValues& values) override;
    bool RunPortSetupDialog(PortSetupValues& values) override;
    void RunRouteSetupDialog(CRouteSetupModel& model) override;
    bool RunFontDialog(int& size, int& weight, std::string& face) override;
    void ApplyFont(int size, int weight, const std::string& face) override;
    MainFrameLayout GetMainFrameLayout() const override;
    void SetMainFrameLayout(const MainFrameLayout& layout) override;

  private:
    CChildFrame* AddWindow(const std::string& name);
    void RefreshTitles();
    void RefreshSelector();
    void ResetSelector();
    void RestorePlacement();

    CMainFrame& m_frame;
    QString m_title;
    QString m_path;
    CPortFactory m_factory;
    std::unique_ptr<CSpotweaverDoc> m_doc;
    CChildFrame* m_main = nullptr;
    std::vector<CChildFrame*> m_windows;
    std::vector<std::string> m_selectorItems;
    std::string m_selectorText;
    std::string m_statusText;
    QTimer* m_statusTimer = nullptr;
    bool m_readFromFile = false;
    bool m_closing = false;
};
