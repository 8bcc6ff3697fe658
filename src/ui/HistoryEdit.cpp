#include "ui/HistoryEdit.h"

#include "port/PortHandler.h"

#include <QKeyEvent>
#include <QTextCursor>

namespace {

constexpr int Backspace = 8;
constexpr int LastControl = 26;

// The control character a key produces, or -1: Ctrl with a letter, or a key
// whose text is one control character (Tab, or Ctrl+C as the platform
// reports it).
int ControlCode(const QKeyEvent& event) {
    const bool ctrl = event.modifiers().testFlag(Qt::ControlModifier) &&
                      !event.modifiers().testFlag(Qt::AltModifier);
    if (ctrl && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z) {
        return event.key() - Qt::Key_A + 1;
    }
    const QString text = event.text();
    if (text.size() == 1 && text[0].unicode() <= LastControl) {
        return text[0].unicode();
    }
    return -1;
}

} // namespace

CHistoryEdit::CHistoryEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName("InputLine");
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QSize CHistoryEdit::sizeHint() const {
    QSize hint = QPlainTextEdit::sizeHint();
    if (m_preferredWidth > 0) {
        hint.setWidth(m_preferredWidth);
    }
    return hint;
}

void CHistoryEdit::keyPressEvent(QKeyEvent* event) {
    if (m_port == nullptr) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const int key = event->key();
    if (key == Qt::Key_Up) {
        Show(m_history.Up(toPlainText().toLatin1().toStdString()));
        return;
    }
    if (key == Qt::Key_Down) {
        Show(m_history.Down());
        return;
    }
    const int code = ControlCode(*event);
    const bool enter =
        key == Qt::Key_Return || key == Qt::Key_Enter || code == '\r' || code == '\n';
    if (enter) {
        m_history.OnEnter(toPlainText().toLatin1().toStdString());
        // The line break typed here makes the input bar send the line.
        textCursor().insertText(QStringLiteral("\n"));
        return;
    }
    if (code >= 0 && code != Backspace) {
        const char byte = static_cast<char>(code);
        m_port->Write(&byte, 1);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CHistoryEdit::Show(const std::string& text) {
    setPlainText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    moveCursor(QTextCursor::End);
}
