#include "ui/MainFrame.h"

#include "document/SpotweaverDoc.h"
#include "port/PortKind.h"
#include "ui/AboutDialog.h"
#include "ui/ChildFrame.h"
#include "ui/GuiDocument.h"
#include "ui/HelpDialog.h"
#include "ui/HistoryEdit.h"
#include "ui/MenuCommand.h"
#include "ui/MessageBoxes.h"
#include "ui/PortInputBar.h"
#include "ui/PortSelectorBar.h"
#include "ui/SpotweaverView.h"
#include "ui/ToolIcons.h"
#include "ui/WindowFit.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <cstdio>

namespace {

using namespace CommandId;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

constexpr int SetupCommands[] = {Routes,     Connect,  Disconnect, Remove,
                                 EditScript, EditPort, StopScript, Font};

// The document's commands: adding a port of any kind and the rest of Setup.
bool IsSetupCommand(int id) {
    return PortKinds::OfCommand(id) != nullptr ||
           std::find(std::begin(SetupCommands), std::end(SetupCommands), id) !=
               std::end(SetupCommands);
}

// The window's placement as the setup stores it, keeping the fields that
// the window does not have.
WindowPlacement PlacementOf(const QWidget& window, WindowPlacement p) {
    if (window.isMaximized()) {
        p.showCmd = 3;
    } else if (window.isMinimized()) {
        p.showCmd = 2;
    } else if (p.showCmd == 2 || p.showCmd == 3) {
        p.showCmd = 1;
    }
    const QRect r = window.isWindow() && window.normalGeometry().isValid() ? window.normalGeometry()
                                                                           : window.geometry();
    p.rcNormalLeft = r.x();
    p.rcNormalTop = r.y();
    p.rcNormalRight = r.x() + r.width();
    p.rcNormalBottom = r.y() + r.height();
    return p;
}

} // namespace

CMainFrame::CMainFrame(IEventLoop& loop, const IClock& clock) : m_loop(loop), m_clock(clock) {
    setObjectName("MainFrame");
    setWindowIcon(CToolIcons::Of(CToolIcons::Image::Program));
    setAcceptDrops(true);
    m_mdi = new QMdiArea(this);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);

    for (const MenuCommand& command : MenuCommand::All()) {
        if (!PortCommand::Is(command.id)) {
            MakeAction(command.id);
        }
    }
    BuildMenus();
    BuildToolBars();
    BuildStatusBar();
    UpdateMenus();
    RefreshTitle();
    resize(1000, 700);
}

CMainFrame::~CMainFrame() {
    const std::vector<CGuiDocument*> documents = m_documents;
    for (CGuiDocument* document : documents) {
        document->Close();
    }
}

QAction* CMainFrame::MakeAction(int id) {
    const MenuCommand& command = MenuCommand::Of(id);
    auto* action = new QAction(Q(command.text), this);
    action->setData(id);
    if (!command.shortcut.empty()) {
        action->setShortcut(QKeySequence(Q(command.shortcut)));
    }
    action->setStatusTip(Q(command.StatusTip()));
    action->setToolTip(command.ToolTip().empty() ? Q(command.StatusTip()) : Q(command.ToolTip()));
    connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
    m_actions[id] = action;
    return action;
}

QAction* CMainFrame::Action(int id) const {
    auto at = m_actions.find(id);
    return at == m_actions.end() ? nullptr : at->second;
}

QMenu* CMainFrame::Menu(const QString& title) const {
    for (QMenu* menu :
         {m_fileMenu, m_editMenu, m_viewMenu, m_setupMenu, m_windowMenu, m_helpMenu}) {
        if (menu->title() == title) {
            return menu;
        }
    }
    return nullptr;
}

void CMainFrame::BuildMenus() {
    m_fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    for (int id : {FileNew, FileOpen, FileClose, FileSave, FileSaveAs}) {
        m_fileMenu->addAction(Action(id));
    }
    m_fileMenu->addSeparator();
    m_recentAnchor = m_fileMenu->addSeparator();
    m_fileMenu->addAction(Action(AppExit));
    RebuildRecentFiles();

    m_editMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    for (int id : {EditCut, EditCopy, EditPaste}) {
        m_editMenu->addAction(Action(id));
    }
    m_editMenu->addSeparator();
    m_editMenu->addAction(Action(Font));

    m_viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    for (int id : {ViewToolbar, ViewStatusBar, ViewConsole, 0, ViewTimestamps, ViewLocalEcho}) {
        if (id == 0) {
            m_viewMenu->addSeparator();
            continue;
        }
        Action(id)->setCheckable(true);
        m_viewMenu->addAction(Action(id));
    }
    connect(m_viewMenu, &QMenu::aboutToShow, this, &CMainFrame::SyncViewChecks);

    m_setupMenu = menuBar()->addMenu(QStringLiteral("&Setup"));
    QMenu* addNew = m_setupMenu->addMenu(QStringLiteral("&Add New"));
    for (const PortKind& kind : PortKinds::All()) {
        addNew->addAction(Action(kind.command));
    }
    m_setupMenu->addAction(Action(Routes));
    m_setupMenu->addSeparator();
    for (int id : {Connect, Disconnect, Remove, EditScript, EditPort, StopScript}) {
        m_setupMenu->addAction(Action(id));
    }

    m_windowMenu = menuBar()->addMenu(QStringLiteral("&Window"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, &CMainFrame::FillWindowMenu);
    FillWindowMenu();

    m_helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    m_helpMenu->addAction(Action(HelpFinder));
    m_helpMenu->addSeparator();
    m_helpMenu->addAction(Action(About));

    // Keys of the accelerator table that have no menu item.
    for (int id : {EditUndo, Help, ContextHelp, NextPane, PrevPane}) {
        addAction(Action(id));
    }
}

void CMainFrame::BuildToolBars() {
    m_wndToolBar = addToolBar(QStringLiteral("Standard"));
    m_wndToolBar->setObjectName("StandardToolBar");
    m_wndToolBar->setIconSize(QSize(16, 15));
    using I = CToolIcons::Image;
    const std::pair<int, I> buttons[] = {
        {FileNew, I::New},     {FileOpen, I::Open}, {FileSave, I::Save},
        {0, I::New},           {EditCut, I::Cut},   {EditCopy, I::Copy},
        {EditPaste, I::Paste}, {0, I::New},         {About, I::About}};
    for (const auto& [id, image] : buttons) {
        if (id == 0) {
            m_wndToolBar->addSeparator();
            continue;
        }
        Action(id)->setIcon(CToolIcons::Of(image));
        if (id == FileSave) {
            // The menu item goes with the document; the button stays in
            // its place, greyed while there is nothing to save.
            m_saveButton = new QAction(Action(id)->icon(), Action(id)->text(), this);
            m_saveButton->setToolTip(Action(id)->toolTip());
            m_saveButton->setStatusTip(Action(id)->statusTip());
            m_saveButton->setData(id);
            connect(m_saveButton, &QAction::triggered, this, [this] { ExecuteCommand(FileSave); });
            m_wndToolBar->addAction(m_saveButton);
            continue;
        }
        m_wndToolBar->addAction(Action(id));
    }

    m_consoleBar = new CPortSelectorBar(this);
    addToolBar(Qt::TopToolBarArea, m_consoleBar);
    connect(m_consoleBar, &CPortSelectorBar::CommandRequested, this, &CMainFrame::ExecuteCommand);
    connect(m_consoleBar, &CPortSelectorBar::SelectionChanged, this,
            [this](const std::string& text) {
                if (m_active != nullptr) {
                    m_active->SelectPort(text);
                }
            });
}

void CMainFrame::BuildStatusBar() {
    m_messagePane = new QLabel(this);
    m_messagePane->setObjectName("MessagePane");
    // A narrow frame cuts the port list at its end instead of widening the
    // frame or hiding the whole text.
    m_messagePane->setMinimumWidth(0);
    m_messagePane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(m_messagePane, 1);
}

// ---------------------------------------------------------------- documents

CGuiDocument& CMainFrame::NewDocument() {
    // An empty setup nobody touched yet is what File > New would give: it is
    // kept instead of stacking a second one beside it.
    for (CGuiDocument* open : m_documents) {
        if (open->IsUntouched()) {
            m_mdi->setActiveSubWindow(&open->MainWindow());
            OnSubWindowActivated(&open->MainWindow());
            return *open;
        }
    }
    auto* document =
        new CGuiDocument(*this, m_loop, m_clock, QStringLiteral("Weaver%1").arg(++m_newCount));
    m_documents.push_back(document);
    document->StartNew();
    m_mdi->setActiveSubWindow(&document->MainWindow());
    OnSubWindowActivated(&document->MainWindow());
    return *document;
}

CGuiDocument* CMainFrame::OpenDocument(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    for (CGuiDocument* open : m_documents) {
        if (!open->Path().isEmpty() && QFileInfo(open->Path()).absoluteFilePath() == full) {
            m_mdi->setActiveSubWindow(&open->MainWindow());
            return open;
        }
    }
    auto* document = new CGuiDocument(*this, m_loop, m_clock, QFileInfo(path).fileName());
    m_documents.push_back(document);
    std::string error;
    if (!document->Open(full, error)) {
        document->Close();
        m_recentFiles.Remove(full);
        RebuildRecentFiles();
        MessageBoxes::Show(this, QMessageBox::Warning,
                           QStringLiteral("Failed to open document.\n%1").arg(Q(error)));
        return nullptr;
    }
    m_recentFiles.Add(full);
    RebuildRecentFiles();
    m_mdi->setActiveSubWindow(&document->MainWindow());
    OnSubWindowActivated(&document->MainWindow());
    return document;
}

void CMainFrame::Open() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Open"), QString(),
        QStringLiteral("%1;;All Files (*)").arg(QString::fromLatin1(FileFilter)));
    if (!path.isEmpty()) {
        OpenDocument(path);
    }
}

bool CMainFrame::SaveModified(CGuiDocument& document) {
    if (!document.Doc().IsModified()) {
        return true;
    }
    const auto answer = MessageBoxes::Show(
        this, QMessageBox::Question, QStringLiteral("Save changes to %1?").arg(document.Title()),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) {
        return false;
    }
    return answer == QMessageBox::No || Save(document);
}

bool CMainFrame::Save(CGuiDocument& document) {
    if (document.Path().isEmpty()) {
        return SaveAs(document);
    }
    std::string error;
    if (!document.Doc().SaveFile(document.Path().toStdString(), error)) {
        MessageBoxes::Show(this, QMessageBox::Warning,
                           QStringLiteral("Failed to save document.\n%1").arg(Q(error)));
        return false;
    }
    m_recentFiles.Add(document.Path());
    RebuildRecentFiles();
    return true;
}

bool CMainFrame::SaveAs(CGuiDocument& document) {
    const QString suggested = document.Path().isEmpty()
                                  ? QDir::current().filePath(document.Title() + ".ini")
                                  : document.Path();
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save As"), suggested,
                                                QString::fromLatin1(FileFilter));
    if (path.isEmpty()) {
        return false;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += ".ini";
    }
    const QString previous = document.Path();
    document.SetPath(path);
    if (!Save(document)) {
        if (!previous.isEmpty()) {
            document.SetPath(previous);
        }
        return false;
    }
    return true;
}

void CMainFrame::EndSession() {
    for (CGuiDocument* document : m_documents) {
        document->DisconnectAll();
        if (document->Doc().IsModified()) {
            std::fprintf(
                stderr, "spotweaver: the unsaved changes to %s were not written\n",
                qPrintable(document->Path().isEmpty() ? document->Title() : document->Path()));
        }
    }
    std::fflush(stderr);
}

void CMainFrame::ForgetDocument(CGuiDocument& document) {
    m_documents.erase(std::remove(m_documents.begin(), m_documents.end(), &document),
                      m_documents.end());
    if (m_active == &document) {
        m_active = nullptr;
        if (auto* window = qobject_cast<CChildFrame*>(m_mdi->activeSubWindow());
            window != nullptr && &window->Document() != &document) {
            m_active = &window->Document();
        } else if (!m_documents.empty()) {
            m_active = m_documents.back();
        }
    }
    document.deleteLater();
    if (m_active != nullptr) {
        OnSubWindowActivated(&m_active->MainWindow());
    } else {
        ShowPortSelector({"ALL"}, "ALL");
        ShowStatusText(QString());
        UpdateMenus();
        RefreshTitle();
    }
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow* subWindow) {
    auto* window = qobject_cast<CChildFrame*>(subWindow);
    if (window == nullptr) {
        return;
    }
    CGuiDocument& document = window->Document();
    if (std::find(m_documents.begin(), m_documents.end(), &document) == m_documents.end()) {
        return;
    }
    m_active = &document;
    // Icons stay in front of the window just activated, once the area has
    // raised it.
    QTimer::singleShot(0, this, [this] {
        for (QMdiSubWindow* other : m_mdi->subWindowList()) {
            if (other->isMinimized()) {
                other->raise();
            }
        }
    });
    UpdateMenus();
    RefreshTitle();
    document.OnWindowActivated(*window);
    // A window brought to the front takes typing in its input line; a click
    // into its traffic to select text moves the focus there afterwards. While
    // the frame is not the active window, a focus set now would be carried
    // out later and activate this window again over a newer one.
    if (isActiveWindow() && QApplication::mouseButtons() == Qt::NoButton) {
        window->InputBar().InputLine().setFocus();
    }
}

// ----------------------------------------------------------------- commands

void CMainFrame::ExecuteCommand(int id) {
    if (IsSetupCommand(id)) {
        if (m_active != nullptr) {
            m_active->EnsureLoaded();
            m_active->Doc().OnCommand(id);
            m_active->RefreshStatus();
        }
        return;
    }
    switch (id) {
    case FileNew:
        NewDocument();
        break;
    case FileOpen:
        Open();
        break;
    case FileClose:
        if (m_active != nullptr && m_active->MayCloseConnections() && SaveModified(*m_active)) {
            m_active->Close();
        }
        break;
    case FileSave:
        if (m_active != nullptr) {
            Save(*m_active);
        }
        break;
    case FileSaveAs:
        if (m_active != nullptr) {
            SaveAs(*m_active);
        }
        break;
    case AppExit:
        close();
        break;
    case EditUndo:
    case EditCut:
    case EditCopy:
    case EditPaste:
        EditCommand(id);
        break;
    case ViewToolbar:
        m_wndToolBar->setVisible(!m_wndToolBar->isVisibleTo(this));
        break;
    case ViewStatusBar:
        statusBar()->setVisible(!statusBar()->isVisibleTo(this));
        break;
    case ViewConsole:
        m_consoleBar->setVisible(!m_consoleBar->isVisibleTo(this));
        break;
    case ViewTimestamps:
        m_timestamps = !m_timestamps;
        break;
    case ViewLocalEcho:
        m_localEcho = !m_localEcho;
        break;
    case WindowCascade:
        Cascade();
        break;
    case WindowTile:
        Tile();
        break;
    case WindowArrange:
        ArrangeIcons();
        break;
    case HelpFinder:
    case Help:
    case ContextHelp:
        ShowHelp();
        break;
    case NextPane:
    case PrevPane:
        SwitchPane();
        break;
    case About:
        ShowAbout();
        break;
    default:
        break;
    }
    SyncViewChecks();
    RefreshTitle();
}

void CMainFrame::EditCommand(int id) {
    QWidget* focus = QApplication::focusWidget();
    if (auto* text = qobject_cast<QPlainTextEdit*>(focus)) {
        switch (id) {
        case EditUndo:
            text->undo();
            break;
        case EditCut:
            text->cut();
            break;
        case EditCopy:
            text->copy();
            break;
        case EditPaste:
            text->paste();
            break;
        default:
            break;
        }
    } else if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        switch (id) {
        case EditUndo:
            line->undo();
            break;
        case EditCut:
            line->cut();
            break;
        case EditCopy:
            line->copy();
            break;
        case EditPaste:
            line->paste();
            break;
        default:
            break;
        }
    }
}

// The active setup's windows in a grid that keeps at least MinTiledLines
// text lines in every window, each scrolled to its newest line.
void CMainFrame::Tile() {
    std::vector<CChildFrame*> windows;
    for (QMdiSubWindow* window : ActiveSetupWindows()) {
        if (!window->isMinimized()) {
            windows.push_back(static_cast<CChildFrame*>(window));
        }
    }
    if (windows.empty()) {
        return;
    }
    const QSize area = m_mdi->viewport()->size();
    const QSize grid = WindowFit::TileGrid(static_cast<int>(windows.size()), area,
                                           windows.front()->HeightForLines(MinTiledLines));
    const int width = area.width() / grid.width();
    const int height = area.height() / grid.height();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        CChildFrame* window = windows[i];
        if (window->isMaximized()) {
            window->showNormal();
        }
        const int column = static_cast<int>(i) / grid.height();
        const int row = static_cast<int>(i) % grid.height();
        window->setGeometry(column * width, row * height, width, height);
        window->View().ScrollToNewest();
    }
}

std::vector<QMdiSubWindow*> CMainFrame::ActiveSetupWindows() const {
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (window->isVisible() && m_active != nullptr && m_active->Owns(window)) {
            windows.push_back(window);
        }
    }
    return windows;
}

// The active window last, in front; every title bar stays in view.
void CMainFrame::Cascade() {
    std::vector<QMdiSubWindow*> windows;
    QMdiSubWindow* active = m_mdi->activeSubWindow();
    bool activeIncluded = false;
    for (QMdiSubWindow* window : ActiveSetupWindows()) {
        if (window->isMinimized()) {
            continue;
        }
        if (window == active) {
            activeIncluded = true;
        } else {
            windows.push_back(window);
        }
    }
    if (activeIncluded) {
        windows.push_back(active);
    }
    WindowFit::Cascade(*m_mdi, windows);
}

// Minimised windows in rows along the bottom of the area, in front of the
// others so that none hides behind a window.
void CMainFrame::ArrangeIcons() {
    const QSize area = m_mdi->viewport()->size();
    int left = 0;
    int bottom = area.height();
    for (QMdiSubWindow* window : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized()) {
            continue;
        }
        if (left > 0 && left + window->width() > area.width()) {
            left = 0;
            bottom -= window->height();
        }
        window->move(left, bottom - window->height());
        window->raise();
        left += window->width();
    }
}

// F6: between the traffic view and the input line of the active window.
void CMainFrame::SwitchPane() {
    auto* window = qobject_cast<CChildFrame*>(m_mdi->activeSubWindow());
    if (window == nullptr) {
        return;
    }
    if (window->View().hasFocus()) {
        window->InputBar().InputLine().setFocus();
    } else {
        window->View().setFocus();
    }
}

// The guide stays open beside the work; a second request brings it forward.
void CMainFrame::ShowHelp() {
    if (m_help == nullptr) {
        m_help = new CHelpDialog(this);
        m_help->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void CMainFrame::ShowAbout() {
    CAboutDialog dialog(this);
    dialog.exec();
}

// ------------------------------------------------------------ menus, bars

void CMainFrame::UpdateMenus() {
    const bool open = !m_documents.empty();
    for (QMenu* menu : {m_editMenu, m_setupMenu, m_windowMenu}) {
        menu->menuAction()->setVisible(open);
    }
    for (int id : {FileClose, FileSave, FileSaveAs}) {
        Action(id)->setVisible(open);
    }
    for (int id : {FileSave, EditCut, EditCopy, EditPaste, Font}) {
        Action(id)->setEnabled(open);
    }
    m_saveButton->setEnabled(open);
    m_consoleBar->ConnectAction().setEnabled(open);
    m_consoleBar->DisconnectAction().setEnabled(open);
    SyncViewChecks();
}

void CMainFrame::SyncViewChecks() {
    Action(ViewToolbar)->setChecked(m_wndToolBar->isVisibleTo(this));
    Action(ViewStatusBar)->setChecked(statusBar()->isVisibleTo(this));
    Action(ViewConsole)->setChecked(m_consoleBar->isVisibleTo(this));
    Action(ViewTimestamps)->setChecked(m_timestamps);
    Action(ViewLocalEcho)->setChecked(m_localEcho);
}

void CMainFrame::RebuildRecentFiles() {
    for (QAction* action : m_recentActions) {
        m_fileMenu->removeAction(action);
        action->deleteLater();
    }
    m_recentActions.clear();
    const MenuCommand& command = MenuCommand::Of(FileMru);
    const QStringList& files = m_recentFiles.Files();
    if (files.isEmpty()) {
        auto* none = new QAction(Q(command.text), this);
        none->setEnabled(false);
        m_recentActions.push_back(none);
    }
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        auto* action = new QAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)), this);
        action->setStatusTip(Q(command.StatusTip()));
        action->setData(FileMru + i);
        connect(action, &QAction::triggered, this, [this, path] { OpenDocument(path); });
        m_recentActions.push_back(action);
    }
    for (QAction* action : m_recentActions) {
        m_fileMenu->insertAction(m_recentAnchor, action);
    }
}

void CMainFrame::FillWindowMenu() {
    m_windowMenu->clear();
    for (int id : {WindowCascade, WindowTile, WindowArrange}) {
        m_windowMenu->addAction(Action(id));
    }
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty()) {
        return;
    }
    m_windowMenu->addSeparator();
    int number = 0;
    for (QMdiSubWindow* window : windows) {
        auto* action = m_windowMenu->addAction(
            QStringLiteral("&%1 %2").arg(++number).arg(window->windowTitle()));
        action->setCheckable(true);
        action->setChecked(window == m_mdi->activeSubWindow());
        connect(action, &QAction::triggered, this, [this, window] {
            if (window->isMinimized()) {
                window->showNormal();
            }
            m_mdi->setActiveSubWindow(window);
        });
    }
}

void CMainFrame::ShowPortSelector(const std::vector<std::string>& items,
                                  const std::string& current) {
    m_consoleBar->ShowItems(items, current);
}

void CMainFrame::ShowStatusText(const QString& text) {
    m_messagePane->setText(text.isEmpty() && m_active != nullptr && m_active->IsEmpty()
                               ? QString::fromUtf8(FirstStepHint)
                               : text);
    m_messagePane->setToolTip(m_messagePane->text());
    // Most changes to a setup come with a new status; the title follows.
    RefreshTitle();
}

QString CMainFrame::StatusText() const {
    return m_messagePane->text();
}

void CMainFrame::RefreshTitle() {
    if (m_active == nullptr) {
        setWindowTitle(QStringLiteral("Spotweaver"));
        return;
    }
    setWindowTitle(QStringLiteral("Spotweaver - %1%2")
                       .arg(m_active->Title(),
                            m_active->Doc().IsModified() ? QStringLiteral("*") : QString()));
}

// ------------------------------------------------------------------- layout

MainFrameLayout CMainFrame::Layout() const {
    MainFrameLayout layout = m_layout;
    layout.mainFrame = PlacementOf(*this, m_layout.mainFrame);
    if (!m_layoutLoaded) {
        layout.consoleBar = PlacementOf(*m_consoleBar, m_layout.consoleBar);
        layout.statusBar = PlacementOf(*statusBar(), m_layout.statusBar);
        layout.toolBar = PlacementOf(*m_wndToolBar, m_layout.toolBar);
    }
    auto shown = [this](const QWidget* bar) {
        return bar->isVisibleTo(this) ? MainFrameLayout::Visible : 0;
    };
    layout.consoleBarShown = shown(m_consoleBar);
    layout.statusBarShown = shown(statusBar());
    layout.toolBarShown = shown(m_wndToolBar);
    layout.timestamps = m_timestamps;
    layout.localEcho = m_localEcho;
    return layout;
}

void CMainFrame::ApplyLayout(const MainFrameLayout& layout) {
    m_layout = layout;
    m_layoutLoaded = true;
    const WindowPlacement& p = layout.mainFrame;
    const QRect r(p.rcNormalLeft, p.rcNormalTop, p.rcNormalRight - p.rcNormalLeft,
                  p.rcNormalBottom - p.rcNormalTop);
    if (r.width() > 0 && r.height() > 0) {
        if (isMaximized() || isMinimized()) {
            setWindowState(Qt::WindowNoState);
        }
        // A setup saved on a larger screen still opens in view.
        setGeometry(screen() != nullptr ? WindowFit::FittedInto(r, screen()->availableGeometry())
                                        : r);
    }
    if (p.showCmd == 3) {
        setWindowState(Qt::WindowMaximized);
    } else if (p.showCmd == 2) {
        setWindowState(Qt::WindowMinimized);
    }
    m_consoleBar->setVisible(layout.consoleBarShown != 0);
    statusBar()->setVisible(layout.statusBarShown != 0);
    m_wndToolBar->setVisible(layout.toolBarShown != 0);
    m_timestamps = layout.timestamps;
    m_localEcho = layout.localEcho;
    SyncViewChecks();
}

// ------------------------------------------------------------------- events

void CMainFrame::closeEvent(QCloseEvent* event) {
    const std::vector<CGuiDocument*> documents = m_documents;
    for (CGuiDocument* document : documents) {
        if (!document->MayCloseConnections() || !SaveModified(*document)) {
            event->ignore();
            return;
        }
    }
    for (CGuiDocument* document : documents) {
        document->Close();
    }
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            OpenDocument(url.toLocalFile());
        }
    }
    event->acceptProposedAction();
}
