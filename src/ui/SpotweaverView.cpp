#include "ui/SpotweaverView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextCursor>

#include <algorithm>

namespace {

// Wire bytes are shown one character per byte.
QString Shown(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

CSpotweaverView::CSpotweaverView(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_repaint.setSingleShot(true);
    m_repaint.setInterval(RepaintMs);
    connect(&m_repaint, &QTimer::timeout, this, &CSpotweaverView::Flush);
    // A view that shows its newest line keeps showing it when the window is
    // resized, tiled or restored; one the user scrolled back stays put.
    QScrollBar* scroll = verticalScrollBar();
    connect(scroll, &QScrollBar::valueChanged, this,
            [this, scroll](int value) { m_followsEnd = value >= scroll->maximum(); });
    connect(scroll, &QScrollBar::rangeChanged, this, [this, scroll](int, int maximum) {
        if (m_followsEnd) {
            scroll->setValue(maximum);
        }
    });
}

void CSpotweaverView::ScrollToNewest() {
    Flush();
    m_followsEnd = true;
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

// Text, Enter and Backspace typed here are meant for the port: the input
// line takes them and the focus. Keys with Ctrl (copy, select all) and the
// paging keys stay with the view.
void CSpotweaverView::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier) ||
                      event->modifiers().testFlag(Qt::AltModifier);
    const bool typing = !event->text().isEmpty() &&
                        (event->text()[0].isPrint() || event->key() == Qt::Key_Return ||
                         event->key() == Qt::Key_Enter || event->key() == Qt::Key_Backspace);
    if (m_input != nullptr && m_input->isVisible() && !ctrl && typing) {
        m_input->setFocus();
        QApplication::sendEvent(m_input, event);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CSpotweaverView::PrintText(std::string_view text, std::string_view lineStamp) {
    m_text.Print(text, lineStamp);
    if (!m_repaint.isActive()) {
        m_repaint.start();
    }
}

void CSpotweaverView::ClearText() {
    m_text.Clear();
    Flush();
}

void CSpotweaverView::Flush() {
    m_repaint.stop();
    const CViewText::Change change = m_text.TakeChange();
    if (change.Empty()) {
        return;
    }
    if (change.replaceAll) {
        setPlainText(Shown(change.appended));
    } else {
        QTextCursor cursor(document());
        if (change.removedFront > 0) {
            const int shown = document()->characterCount() - 1;
            cursor.setPosition(std::min(static_cast<int>(change.removedFront), shown),
                               QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        }
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(Shown(change.appended));
    }
    moveCursor(QTextCursor::End);
    ensureCursorVisible();
}
