#pragma once

#include "ui/CommandHistory.h"

#include <QPlainTextEdit>

class CPortHandler;

// The input line of a port window: a multi-line edit in which Enter is text
// (the input bar sends the line when a line break appears). While a port is
// attached it keeps a history of 16 entries on the arrow keys and sends
// control characters to the port at once as one byte each: Ctrl+Shift with a
// letter always, Ctrl with a letter other than the editing keys A, C, V, X,
// Y and Z. Pasted text is never sent by the paste: one line lands in the
// line for editing; several lines are sent one per line once the user
// agrees.
class CHistoryEdit : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit CHistoryEdit(QWidget* parent = nullptr);

    void SetPort(CPortHandler* port) { m_port = port; }
    CPortHandler* Port() const { return m_port; }
    const CCommandHistory& History() const { return m_history; }
    // The width asked for when there is room; the minimum stays smaller.
    void SetPreferredWidth(int width) { m_preferredWidth = width; }
    QSize sizeHint() const override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    void Show(const std::string& text);

    CPortHandler* m_port = nullptr;
    CCommandHistory m_history;
    int m_preferredWidth = 0;
};
