#pragma once

#include "platform/MainFrameLayout.h"
#include "ui/RecentFileList.h"

#include <QMainWindow>
#include <QPointer>

#include <map>
#include <string>
#include <vector>

class CGuiDocument;
class CPortSelectorBar;
class IClock;
class IEventLoop;
class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

// The program's main window: menus, the standard toolbar, the console
// toolbar with the port selector, the status bar and the MDI area in which
// every open setup shows its windows.
//
// Responsibilities: File, Edit, View, Setup, Window and Help commands; the
// Edit, Setup and Window menus (and Close/Save/Save As) only while a document
// is open; which document is active (its port list in the selector, its
// status text in the status bar); new, open, save and close of documents with
// the recent-file list; files dropped on the window; the frame's layout as a
// setup saves and restores it.
//
// Collaborators: CGuiDocument (one per open setup), the shared event loop
// and clock that every document runs on.
class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr const char* FileFilter = "Weaver Files (*.ini)";
    // The status bar of a setup without ports.
    static constexpr const char* FirstStepHint =
        "Setup \u2192 Add New \u2192 Console Window to begin";
    // Window > Tile keeps this many text lines in every window.
    static constexpr int MinTiledLines = 5;

    CMainFrame(IEventLoop& loop, const IClock& clock);
    ~CMainFrame() override;

    // File > New: an empty setup named "Weaver1", "Weaver2", ...
    CGuiDocument& NewDocument();
    // Opens a setup file (or activates it when it is open already); null
    // after telling the user why it could not be read.
    CGuiDocument* OpenDocument(const QString& path);
    CGuiDocument* ActiveDocument() const { return m_active; }
    const std::vector<CGuiDocument*>& Documents() const { return m_documents; }

    // Carries out a command of the menus or toolbars by id.
    void ExecuteCommand(int id);
    QAction* Action(int id) const;
    QMenu* Menu(const QString& title) const;
    CPortSelectorBar& ConsoleBar() const { return *m_consoleBar; }
    QToolBar& StandardToolBar() const { return *m_wndToolBar; }
    QMdiArea& MdiArea() const { return *m_mdi; }
    QString StatusText() const;

    // For the documents.
    void ShowPortSelector(const std::vector<std::string>& items, const std::string& current);
    void ShowStatusText(const QString& text);
    void RefreshTitle();
    // Asks whether to save a modified document; false for Cancel.
    bool SaveModified(CGuiDocument& document);
    bool Save(CGuiDocument& document);
    bool SaveAs(CGuiDocument& document);
    // The program is told to end (SIGTERM, SIGINT): every port of every
    // setup is disconnected at once; unsaved changes are not written, and
    // standard error says which setups had them. Asks nothing.
    void EndSession();
    void ForgetDocument(CGuiDocument& document);
    MainFrameLayout Layout() const;
    void ApplyLayout(const MainFrameLayout& layout);
    // Minimised windows along the bottom of the workspace, in front.
    void ArrangeIcons();
    // View settings of every window.
    bool Timestamps() const { return m_timestamps; }
    bool LocalEcho() const { return m_localEcho; }
    // The help window while it is open.
    QWidget* HelpWindow() const { return m_help; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    QAction* MakeAction(int id);
    void BuildMenus();
    void BuildToolBars();
    void BuildStatusBar();
    void UpdateMenus();
    void SyncViewChecks();
    void RebuildRecentFiles();
    void FillWindowMenu();
    void OnSubWindowActivated(class QMdiSubWindow* window);
    void Open();
    void EditCommand(int id);
    void Cascade();
    void Tile();
    std::vector<class QMdiSubWindow*> ActiveSetupWindows() const;
    void SwitchPane();
    void ShowHelp();
    void ShowAbout();

    IEventLoop& m_loop;
    const IClock& m_clock;
    QMdiArea* m_mdi = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    QAction* m_saveButton = nullptr;
    CPortSelectorBar* m_consoleBar = nullptr;
    QLabel* m_messagePane = nullptr;
    QPointer<QWidget> m_help;
    std::map<int, QAction*> m_actions;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_editMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_setupMenu = nullptr;
    QMenu* m_windowMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QAction* m_recentAnchor = nullptr;
    std::vector<QAction*> m_recentActions;
    CRecentFileList m_recentFiles;
    std::vector<CGuiDocument*> m_documents;
    CGuiDocument* m_active = nullptr;
    int m_newCount = 0;
    MainFrameLayout m_layout;
    bool m_layoutLoaded = false;
    bool m_timestamps = false;
    bool m_localEcho = false;
};
