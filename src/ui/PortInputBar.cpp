#include "ui/PortInputBar.h"

#include "platform/CommandIds.h"
#include "port/PortHandler.h"
#include "ui/HistoryEdit.h"
#include "ui/MenuCommand.h"
#include "ui/ToolIcons.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QTextDocument>
#include <QToolButton>

#include <algorithm>

namespace {

// The input line asks for 450 pixels but gives way down to a few characters
// when the window is narrower, so that the buttons stay in view.
constexpr int InputWidth = 450;
constexpr int MinInputWidth = 60;
constexpr int Gap = 12;
// Space between the typed text and the input line's frame.
constexpr int TextMargin = 2;

// The line a text with a line break sends: an Enter at the end gives the text
// before it; a break elsewhere (pasted text) joins the parts around it.
std::string TypedLine(const std::string& text) {
    const auto cr = text.find('\r');
    const auto lf = text.find('\n');
    if (cr != std::string::npos && lf != std::string::npos && cr + 2 == text.size() &&
        lf + 1 == text.size()) {
        return text.substr(0, cr);
    }
    const auto first = std::min(cr, lf);
    auto after = first + 1;
    if (text[first] == '\r' && after < text.size() && text[after] == '\n') {
        ++after;
    }
    return text.substr(0, first) + text.substr(after);
}

} // namespace

CPortInputBar::CPortInputBar(QWidget* parent) : QWidget(parent) {
    setObjectName("PortInputBar");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->setSpacing(0);
    m_input = new CHistoryEdit(this);
    m_input->document()->setDocumentMargin(TextMargin);
    m_input->setMinimumWidth(MinInputWidth);
    m_input->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_input->SetPreferredWidth(InputWidth);
    layout->addWidget(m_input, 1);
    layout->addSpacing(Gap);
    using CT = CToolIcons::Image;
    const std::pair<int, CT> buttons[] = {{PortCommand::Connect, CT::Connect},
                                          {PortCommand::Disconnect, CT::Disconnect},
                                          {PortCommand::Edit, CT::EditPort},
                                          {PortCommand::EditScript, CT::EditScript},
                                          {PortCommand::StopScript, CT::StopScript}};
    for (const auto& [id, image] : buttons) {
        const MenuCommand& command = MenuCommand::Of(id);
        auto* button = new QToolButton(this);
        button->setIcon(CToolIcons::Of(image));
        button->setIconSize(QSize(16, 16));
        button->setAutoRaise(true);
        button->setToolTip(QString::fromStdString(command.ToolTip()));
        button->setStatusTip(QString::fromStdString(command.StatusTip()));
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this,
                [this, id = id] { emit CommandRequested(id); });
        layout->addWidget(button);
        m_buttons.emplace_back(id, button);
    }
    setFocusProxy(m_input);
    connect(m_input, &QPlainTextEdit::textChanged, this, &CPortInputBar::OnTextChanged);
    ApplyFont(font(), 0);
}

void CPortInputBar::SetPort(CPortHandler* port) {
    m_port = port;
    m_input->SetPort(port);
}

QToolButton* CPortInputBar::Button(int commandId) const {
    for (const auto& [id, button] : m_buttons) {
        if (id == commandId) {
            return button;
        }
    }
    return nullptr;
}

void CPortInputBar::ApplyFont(const QFont& font, int pixelHeight) {
    m_buttonHeight = std::max(pixelHeight + 6, MinButtonHeight);
    for (const auto& entry : m_buttons) {
        entry.second->setFixedSize(ButtonWidth, m_buttonHeight);
    }
    m_input->setFont(font);
    // A font's line is taller than its pixel size (descenders, accents): the
    // input line grows past the button height when a whole line needs it.
    const int textHeight =
        QFontMetrics(font).lineSpacing() + 2 * TextMargin + 2 * m_input->frameWidth();
    const int inputHeight = std::max(m_buttonHeight, textHeight);
    m_input->setFixedHeight(inputHeight);
    setFixedHeight(inputHeight + 4);
}

void CPortInputBar::OnTextChanged() {
    if (m_port == nullptr) {
        return;
    }
    const std::string text = m_input->toPlainText().toLatin1().toStdString();
    if (text.find_first_of("\r\n") == std::string::npos) {
        return;
    }
    const std::string line = TypedLine(text);
    // The port may print into its window while sending; empty the line first
    // so that a second break cannot send it twice.
    m_input->clear();
    m_port->SendLine(line);
    emit LineSent(line);
}
