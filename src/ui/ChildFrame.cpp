#include "ui/ChildFrame.h"

#include "ui/GuiDocument.h"
#include "ui/HistoryEdit.h"
#include "ui/MainFrame.h"
#include "ui/PortInputBar.h"
#include "ui/SpotweaverView.h"
#include "ui/ToolIcons.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QFont>
#include <QFontDatabase>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int MaxFaceChars = 31;
constexpr int DefaultWeight = 400;

} // namespace

CChildFrame::CChildFrame(CGuiDocument& document, const std::string& name)
    : m_document(document), m_name(name) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(CToolIcons::Of(CToolIcons::Image::Program));
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_view = new CSpotweaverView(content);
    m_inputBar = new CPortInputBar(content);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_inputBar);
    content->setFocusProxy(m_inputBar);
    // The window gives the focus to the first of its children that takes
    // it: the input line comes before the traffic.
    setTabOrder(&m_inputBar->InputLine(), m_view);
    setWidget(content);
    // The main window shows the setup's messages: there is no port to type
    // to or to connect.
    if (name == "Main") {
        m_inputBar->hide();
        content->setFocusProxy(m_view);
    }
    m_view->SetInputLine(&m_inputBar->InputLine());
    connect(m_inputBar, &CPortInputBar::LineSent, this, [this](const std::string& line) {
        if (m_document.Frame().LocalEcho()) {
            m_view->PrintText(line + "\n", LineStamp());
        }
    });
    connect(m_inputBar, &CPortInputBar::CommandRequested, this,
            [this](int id) { m_document.OnPortWindowCommand(*this, id); });
}

void CChildFrame::AppendText(std::string_view text) {
    m_view->PrintText(text, LineStamp());
    m_document.NoteWindowOutput();
}

void CChildFrame::SetTitleParts(const std::string& name, const std::string& status) {
    m_name = name;
    m_status = status;
    RefreshTitle();
}

void CChildFrame::AttachInput(CPortHandler* port) {
    m_inputBar->SetPort(port);
}

void CChildFrame::DetachInput() {
    m_inputBar->SetPort(nullptr);
}

void CChildFrame::RefreshTitle() {
    QString title = m_document.Title();
    // A window made for a port being set up has no port name yet.
    if (m_document.WindowCount() > 1 && m_name != "Temp") {
        title +=
            QString(":%1 %2").arg(QString::fromStdString(m_name), QString::fromStdString(m_status));
    }
    setWindowTitle(title);
}

// "14:05:09 " in UTC, the time radio amateurs log in, while View >
// Timestamps is on.
std::string CChildFrame::LineStamp() const {
    if (!m_document.Frame().Timestamps()) {
        return {};
    }
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("HH:mm:ss ")).toStdString();
}

int CChildFrame::HeightForLines(int lines) const {
    const int viewFrame = m_view->height() - m_view->viewport()->height();
    const int text = lines * m_view->fontMetrics().lineSpacing() +
                     2 * static_cast<int>(m_view->document()->documentMargin());
    return height() - m_view->height() + viewFrame + text;
}

void CChildFrame::ApplyFont(int size, int weight, const std::string& face) {
    const int pixels = std::abs(size);
    QString family = QString::fromStdString(face.substr(0, MaxFaceChars));
    // A setup from another computer may name a face not installed here; the
    // columns of spot lines need a fixed-width one all the same.
    if (!QFontDatabase::hasFamily(family)) {
        family = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    }
    QFont font(family);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (pixels > 0) {
        font.setPixelSize(pixels);
    }
    font.setWeight(
        static_cast<QFont::Weight>(std::clamp(weight > 0 ? weight : DefaultWeight, 1, 1000)));
    m_view->setFont(font);
    m_inputBar->ApplyFont(font, pixels);
}

WindowPlacement CChildFrame::GetPlacement() const {
    WindowPlacement p = m_placement;
    if (isMaximized()) {
        p.showCmd = 3;
    } else if (isMinimized()) {
        p.showCmd = 2;
    } else if (p.showCmd == 2 || p.showCmd == 3) {
        p.showCmd = 1;
    }
    const QRect r = m_normalGeometry.isValid() ? m_normalGeometry : geometry();
    p.rcNormalLeft = r.x();
    p.rcNormalTop = r.y();
    p.rcNormalRight = r.x() + r.width();
    p.rcNormalBottom = r.y() + r.height();
    return p;
}

void CChildFrame::SetPlacement(const WindowPlacement& placement) {
    m_placement = placement;
    const QRect r(placement.rcNormalLeft, placement.rcNormalTop,
                  placement.rcNormalRight - placement.rcNormalLeft,
                  placement.rcNormalBottom - placement.rcNormalTop);
    if (placement.showCmd == 3) {
        if (r.width() > 0 && r.height() > 0) {
            m_normalGeometry = r;
        }
        showMaximized();
        return;
    }
    if (isMaximized() || isMinimized()) {
        showNormal();
    }
    if (r.width() > 0 && r.height() > 0) {
        setGeometry(r);
        m_normalGeometry = r;
    }
    if (placement.showCmd == 2) {
        showMinimized();
    } else {
        show();
    }
}

void CChildFrame::CloseQuietly() {
    m_closingQuietly = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (m_closingQuietly || m_document.MayCloseWindow(*this)) {
        event->accept();
        QMdiSubWindow::closeEvent(event);
        return;
    }
    event->ignore();
}

void CChildFrame::changeEvent(QEvent* event) {
    QMdiSubWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        emit Minimised();
    }
}

void CChildFrame::moveEvent(QMoveEvent* event) {
    QMdiSubWindow::moveEvent(event);
    RememberNormalGeometry();
}

void CChildFrame::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    RememberNormalGeometry();
}

void CChildFrame::RememberNormalGeometry() {
    if (windowState() == Qt::WindowNoState && isVisible()) {
        m_normalGeometry = geometry();
    }
}
