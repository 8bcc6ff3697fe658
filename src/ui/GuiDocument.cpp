#include "ui/GuiDocument.h"

#include "document/SpotweaverDoc.h"
#include "port/PortHandler.h"
#include "transport/ComHandler.h"
#include "transport/NetConnectHandler.h"
#include "transport/RxNetHandler.h"
#include "ui/ChildFrame.h"
#include "ui/ConnectScriptDialog.h"
#include "ui/MainFrame.h"
#include "ui/MessageBoxes.h"
#include "ui/PortSetupDialog.h"
#include "ui/RouteSetupDialog.h"
#include "ui/SpotweaverView.h"
#include "ui/WindowFit.h"

#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QMdiArea>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

constexpr int MaxFaceChars = 31;

// A port whose connection has a peer at the other end: closing ends it.
bool TalksToPeer(const CPortHandler& port) {
    return dynamic_cast<const CNetConnectHandler*>(&port) != nullptr ||
           dynamic_cast<const CComHandler*>(&port) != nullptr;
}

QString Counted(int n, const char* one) {
    return QStringLiteral("%1 %2%3").arg(n).arg(QString::fromLatin1(one),
                                                n == 1 ? QString() : QStringLiteral("s"));
}

// "3 callers and 1 link", "2 callers", "1 link".
QString ConnectionCount(int callers, int links) {
    if (callers > 0 && links > 0) {
        return Counted(callers, "caller") + QStringLiteral(" and ") + Counted(links, "link");
    }
    return callers > 0 ? Counted(callers, "caller") : Counted(links, "link");
}

} // namespace

CGuiDocument::CGuiDocument(CMainFrame& frame, IEventLoop& loop, const IClock& clock,
                           const QString& title)
    : QObject(&frame), m_frame(frame), m_title(title) {
    m_doc = std::make_unique<CSpotweaverDoc>(loop, clock, *this, m_factory);
    m_statusTimer = new QTimer(this);
    m_statusTimer->setSingleShot(true);
    m_statusTimer->setInterval(StatusDelayMs);
    connect(m_statusTimer, &QTimer::timeout, this, [this] {
        if (!m_closing && m_doc->IsRunning()) {
            m_doc->RefreshStatus();
        }
    });
    m_main = AddWindow("Main");
    ResetSelector();
}

CGuiDocument::~CGuiDocument() {
    m_closing = true;
    m_doc.reset();
}

void CGuiDocument::SetPath(const QString& path) {
    m_path = path;
    m_title = QFileInfo(path).fileName();
    RefreshTitles();
    m_frame.RefreshTitle();
}

void CGuiDocument::StartNew() {
    if (m_doc->IsRunning()) {
        m_doc->DeleteAllPorts();
    }
    ResetSelector();
    m_doc->StartPorts();
}

// A setup without ports still offers "ALL", so that Connect and Disconnect
// act on the ports added later without the user picking them first.
void CGuiDocument::ResetSelector() {
    m_selectorItems = {"ALL"};
    m_selectorText = "ALL";
    RefreshSelector();
}

bool CGuiDocument::Open(const QString& path, std::string& error) {
    if (!m_doc->ReadFile(path.toStdString(), error)) {
        return false;
    }
    m_readFromFile = true;
    SetPath(path);
    return true;
}

void CGuiDocument::EnsureLoaded() {
    if (!m_readFromFile || m_doc->IsRunning() || m_closing) {
        return;
    }
    m_readFromFile = false;
    m_doc->LoadPorts();
    m_doc->SetModified(false);
    // The ports' windows came up while loading; give every window its stored
    // place once they all exist.
    QTimer::singleShot(0, this, [this] { RestorePlacement(); });
}

void CGuiDocument::RestorePlacement() {
    if (m_closing) {
        return;
    }
    m_main->SetPlacement(m_main->SavedPlacement());
    // Stored places from a larger workspace are brought into view.
    QWidget* workspace = m_frame.MdiArea().viewport();
    if (workspace->isVisible()) {
        for (CChildFrame* window : m_windows) {
            if (!window->isMaximized() && !window->isMinimized()) {
                window->setGeometry(WindowFit::FittedInto(window->geometry(), workspace->rect()));
            }
        }
    }
    for (int i = 0; i < m_doc->PortCount(); ++i) {
        auto* window = dynamic_cast<CChildFrame*>(m_doc->PortWindow(i));
        if (window != nullptr && window->SavedPlacement().showCmd == 3) {
            m_frame.MdiArea().setActiveSubWindow(window);
            window->showMaximized();
            break;
        }
    }
}

bool CGuiDocument::IsEmpty() const {
    return !m_readFromFile && m_doc->PortCount() == 0;
}

bool CGuiDocument::IsUntouched() const {
    return IsEmpty() && m_path.isEmpty() && !m_doc->IsModified();
}

void CGuiDocument::RefreshStatus() {
    if (m_frame.ActiveDocument() == this) {
        m_frame.ShowStatusText(QString::fromStdString(m_statusText));
    }
}

void CGuiDocument::NoteWindowOutput() {
    if (!m_statusTimer->isActive()) {
        m_statusTimer->start();
    }
}

bool CGuiDocument::MayCloseConnections() {
    int callers = 0;
    int links = 0;
    for (int i = 0; i < m_doc->PortCount(); ++i) {
        CPortHandler* port = m_doc->Port(i);
        if (const auto* server = dynamic_cast<const CRxNetHandler*>(port)) {
            callers += server->Callers();
        } else if (port->IsConnected() && TalksToPeer(*port)) {
            ++links;
        }
    }
    if (callers == 0 && links == 0) {
        return true;
    }
    const QString text =
        QStringLiteral("%1 %2 connected. Close %3 and end them?")
            .arg(ConnectionCount(callers, links),
                 callers + links == 1 ? QStringLiteral("is") : QStringLiteral("are"), m_title);
    return MessageBoxes::Show(&m_frame, QMessageBox::Question, text,
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes;
}

bool CGuiDocument::Owns(const QObject* window) const {
    return std::any_of(m_windows.begin(), m_windows.end(),
                       [window](const CChildFrame* w) { return w == window; });
}

void CGuiDocument::OnWindowActivated(CChildFrame& /*window*/) {
    EnsureLoaded();
    RefreshSelector();
    m_frame.ShowStatusText(QString::fromStdString(m_statusText));
}

bool CGuiDocument::MayCloseWindow(CChildFrame& window) {
    if (m_closing) {
        return true;
    }
    if (&window == m_main) {
        const bool hadPorts = m_doc->PortCount() > 0;
        if (!m_doc->RemovePort("Main") || !MayCloseConnections()) {
            return false;
        }
        // An empty setup closes without questions unless something in it
        // changed (ports removed, font or routes edited): that is asked about
        // like any other unsaved change.
        if ((hadPorts || m_doc->IsModified()) && !m_frame.SaveModified(*this)) {
            return false;
        }
        Close();
        return true;
    }
    if (window.PortName() == "Temp") {
        return true;
    }
    m_doc->RemovePort(window.PortName());
    // The document closes the window when it let the port go; a port that
    // could not be stopped keeps its window, which it still writes to.
    return !Owns(&window);
}

void CGuiDocument::OnPortWindowCommand(CChildFrame& window, int commandId) {
    EnsureLoaded();
    m_doc->OnPortCommand(window.PortName(), commandId);
    RefreshStatus();
}

void CGuiDocument::OnWindowDestroyed(CChildFrame* window) {
    m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), window), m_windows.end());
    if (!m_closing) {
        RefreshTitles();
    }
}

void CGuiDocument::DisconnectAll() {
    for (int i = 0; i < m_doc->PortCount(); ++i) {
        m_doc->Port(i)->DisconnectManual();
    }
}

void CGuiDocument::Close() {
    if (m_closing) {
        return;
    }
    m_closing = true;
    m_doc->DeleteAllPorts();
    const std::vector<CChildFrame*> windows = m_windows;
    m_windows.clear();
    for (CChildFrame* window : windows) {
        window->CloseQuietly();
    }
    m_frame.ForgetDocument(*this);
}

CChildFrame* CGuiDocument::AddWindow(const std::string& name) {
    auto* window = new CChildFrame(*this, name);
    QMdiArea& mdi = m_frame.MdiArea();
    std::vector<QRect> taken;
    for (const QMdiSubWindow* other : mdi.subWindowList()) {
        if (other->isVisible() && !other->isMinimized() && !other->isMaximized()) {
            taken.push_back(other->geometry());
        }
    }
    mdi.addSubWindow(window);
    const QRect area = mdi.viewport()->rect();
    const QSize size(std::max(area.width() * 3 / 5, 480), std::max(area.height() * 2 / 5, 200));
    if (mdi.viewport()->isVisible()) {
        // Until a stored placement says otherwise, windows cascade inside
        // the workspace.
        window->setGeometry(
            WindowFit::FreeCascadeSlot(taken, size, WindowFit::CascadeStep(*window), area));
    } else {
        window->resize(size);
    }
    window->ApplyFont(m_doc->FontSize, m_doc->FontWeight, m_doc->FontFace);
    m_windows.push_back(window);
    connect(window, &QObject::destroyed, this, [this, window] { OnWindowDestroyed(window); });
    connect(window, &CChildFrame::Minimised, &m_frame, &CMainFrame::ArrangeIcons,
            Qt::QueuedConnection);
    window->show();
    RefreshTitles();
    return window;
}

void CGuiDocument::RefreshTitles() {
    for (CChildFrame* window : m_windows) {
        window->RefreshTitle();
    }
}

void CGuiDocument::RefreshSelector() {
    if (m_frame.ActiveDocument() == this) {
        m_frame.ShowPortSelector(m_selectorItems, m_selectorText);
    }
}

// ------------------------------------------------------------- UI services

void CGuiDocument::MessageBox(const std::string& text) {
    MessageBoxes::Show(&m_frame, QMessageBox::Information, QString::fromStdString(text));
}

// Every question the setup asks confirms a step that removes or closes
// something: Enter alone must not take it.
bool CGuiDocument::AskYesNo(const std::string& text) {
    return MessageBoxes::Show(&m_frame, QMessageBox::Question, QString::fromStdString(text),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes;
}

void CGuiDocument::ClearPortSelector() {
    m_selectorItems.clear();
    m_selectorText.clear();
    RefreshSelector();
}

void CGuiDocument::AddPortSelectorItem(const std::string& name) {
    m_selectorItems.push_back(name);
    RefreshSelector();
}

void CGuiDocument::RemovePortSelectorItem(const std::string& name) {
    auto at = std::find(m_selectorItems.begin(), m_selectorItems.end(), name);
    if (at == m_selectorItems.end()) {
        return;
    }
    m_selectorItems.erase(at);
    if (m_selectorText == name) {
        m_selectorText.clear();
    }
    RefreshSelector();
}

void CGuiDocument::SelectFirstPortSelectorItem() {
    m_selectorText = m_selectorItems.empty() ? std::string() : m_selectorItems.front();
    RefreshSelector();
}

void CGuiDocument::SetStatusBarText(const std::string& text) {
    m_statusText = text;
    if (m_frame.ActiveDocument() == this) {
        m_frame.ShowStatusText(QString::fromStdString(text));
    }
}

IPortView& CGuiDocument::MainView() {
    return *m_main;
}

IPortView* CGuiDocument::NewPortWindow() {
    if (m_closing) {
        return nullptr;
    }
    return AddWindow("Temp");
}

void CGuiDocument::ClosePortWindow(IPortView* view) {
    auto at = std::find_if(m_windows.begin(), m_windows.end(),
                           [view](CChildFrame* w) { return static_cast<IPortView*>(w) == view; });
    if (at == m_windows.end()) {
        return;
    }
    CChildFrame* window = *at;
    m_windows.erase(at);
    window->CloseQuietly();
    RefreshTitles();
}

bool CGuiDocument::RunConnectScriptDialog(ConnectScriptValues& values) {
    CConnectScriptDialog dialog(values, &m_frame);
    return dialog.exec() == QDialog::Accepted;
}

bool CGuiDocument::RunPortSetupDialog(PortSetupValues& values) {
    CPortSetupDialog dialog(values, &m_frame);
    return dialog.exec() == QDialog::Accepted;
}

void CGuiDocument::RunRouteSetupDialog(CRouteSetupModel& model) {
    CRouteSetupDialog dialog(model, &m_frame);
    dialog.exec();
}

// The dialog opens on the font the windows show (a face the setup names but
// this computer lacks has been replaced by the fixed-width one). A size or
// weight the user leaves as it was keeps its stored value: the dialog's point
// sizes do not map back to the stored pixel height exactly.
bool CGuiDocument::RunFontDialog(int& size, int& weight, std::string& face) {
    const QFontInfo used(m_main->View().font());
    const qreal dpi = m_frame.screen() != nullptr ? m_frame.screen()->logicalDotsPerInchY() : 96.0;
    QFont initial(used.family());
    initial.setStyleName(used.styleName());
    initial.setPointSizeF(used.pixelSize() * 72.0 / dpi);
    QFontDialog dialog(&m_frame);
    dialog.setWindowTitle(QStringLiteral("Font"));
    dialog.setOption(QFontDialog::MonospacedFonts);
    dialog.setCurrentFont(initial);
    const QFont shown = dialog.currentFont();
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const QFont chosen = dialog.selectedFont();
    face = chosen.family().left(MaxFaceChars).toStdString();
    if (chosen.pointSizeF() != shown.pointSizeF()) {
        // A character height, as a font dialog reports it: negative.
        size = -static_cast<int>(std::lround(chosen.pointSizeF() * dpi / 72.0));
    }
    if (chosen.weight() != shown.weight()) {
        weight = chosen.weight();
    }
    return true;
}

void CGuiDocument::ApplyFont(int size, int weight, const std::string& face) {
    for (CChildFrame* window : m_windows) {
        window->ApplyFont(size, weight, face);
    }
}

MainFrameLayout CGuiDocument::GetMainFrameLayout() const {
    return m_frame.Layout();
}

void CGuiDocument::SetMainFrameLayout(const MainFrameLayout& layout) {
    m_frame.ApplyLayout(layout);
}
