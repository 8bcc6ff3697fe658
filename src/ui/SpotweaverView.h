#pragma once

#include "ui/ViewText.h"

#include <QPlainTextEdit>
#include <QTimer>

#include <string_view>

// A port window's read-only traffic view, without a text cursor: text is
// selected with the mouse, and typed keys go on to the window's input line. Printed text is folded,
// cut into pieces and trimmed by CViewText; the widget shows the result at most every RepaintMs
// milliseconds, so a burst of traffic costs one repaint, and always scrolls to the newest text,
// also when the window changes size.
class CSpotweaverView : public QPlainTextEdit {
    Q_OBJECT
  public:
    static constexpr int RepaintMs = 50;

    explicit CSpotweaverView(QWidget* parent = nullptr);

    void PrintText(std::string_view text, std::string_view lineStamp = {});
    void ClearText();
    // Shows what is pending now instead of at the next repaint.
    void Flush();
    // What the view holds, shown or pending.
    const std::string& Text() const { return m_text.Text(); }
    // Shows the newest line and keeps following the text.
    void ScrollToNewest();
    // Typing into the view goes to this line instead (the port's input).
    void SetInputLine(QWidget* input) { m_input = input; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    CViewText m_text;
    QTimer m_repaint;
    bool m_followsEnd = true;
    QWidget* m_input = nullptr;
};
