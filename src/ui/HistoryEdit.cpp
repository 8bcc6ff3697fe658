#include "ui/HistoryEdit.h"

#include "port/PortHandler.h"

#include "ui/MessageBoxes.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QTextCursor>

namespace {

constexpr int Backspace = 8;
constexpr int LastControl = 26;
// Pasted lines shown in the question before they are sent.
constexpr int MaxLinesShown = 5;

// Select all, copy, paste, cut, redo and undo, as in every text field.
bool IsEditingKey(int key) {
    return key == Qt::Key_A || key == Qt::Key_C || key == Qt::Key_V || key == Qt::Key_X ||
           key == Qt::Key_Y || key == Qt::Key_Z;
}

// The control character a key produces, or -1: Ctrl+Shift with a letter,
// Ctrl with a letter that is no editing key, or a key whose text is one
// control character (Tab).
int ControlCode(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers();
    const bool ctrl = mods.testFlag(Qt::ControlModifier) && !mods.testFlag(Qt::AltModifier);
    const bool letter = event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z;
    if (ctrl && letter) {
        if (!mods.testFlag(Qt::ShiftModifier) && IsEditingKey(event.key())) {
            return -1;
        }
        return event.key() - Qt::Key_A + 1;
    }
    if (ctrl) {
        return -1;
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

void CHistoryEdit::insertFromMimeData(const QMimeData* source) {
    QStringList lines = source->text().split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    while (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.removeLast();
    }
    if (lines.size() <= 1 || m_port == nullptr) {
        textCursor().insertText(lines.join(QLatin1Char(' ')));
        return;
    }
    const QString question =
        QStringLiteral("Send these %1 pasted lines to %2, one per line?\n\n%3")
            .arg(lines.size())
            .arg(QString::fromStdString(m_port->PortName),
                 lines.mid(0, MaxLinesShown).join(QLatin1Char('\n')) +
                     (lines.size() > MaxLinesShown ? QStringLiteral("\n...") : QString()));
    if (MessageBoxes::Show(this, QMessageBox::Question, question,
                           QMessageBox::Yes | QMessageBox::No,
                           QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    for (const QString& line : lines) {
        m_port->SendLine(line.toLatin1().toStdString());
    }
}

void CHistoryEdit::Show(const std::string& text) {
    setPlainText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    moveCursor(QTextCursor::End);
}
