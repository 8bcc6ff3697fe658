#pragma once

#include <QWidget>

#include <vector>

class CHistoryEdit;
class CPortHandler;
class QFont;
class QToolButton;

// The bar at the bottom of a port window: the input line and the buttons
// Connect, Disconnect, Edit Port, Edit Script and Stop Script for this port.
// A typed line goes to the attached port's SendLine as soon as a line break
// appears in the input line; with no port attached the text stays.
class CPortInputBar : public QWidget {
    Q_OBJECT
  public:
    static constexpr int ButtonWidth = 23;
    static constexpr int MinButtonHeight = 22;

    explicit CPortInputBar(QWidget* parent = nullptr);

    void SetPort(CPortHandler* port);
    CPortHandler* Port() const { return m_port; }
    CHistoryEdit& InputLine() const { return *m_input; }
    QToolButton* Button(int commandId) const;
    // Sizes the bar to the font: buttons h+6 high (at least 22) for a font
    // h pixels high, the bar 4 higher.
    void ApplyFont(const QFont& font, int pixelHeight);
    int ButtonHeight() const { return m_buttonHeight; }

  signals:
    void CommandRequested(int commandId);
    // A typed line went to the port.
    void LineSent(const std::string& line);

  private:
    void OnTextChanged();

    CHistoryEdit* m_input = nullptr;
    std::vector<std::pair<int, QToolButton*>> m_buttons;
    CPortHandler* m_port = nullptr;
    int m_buttonHeight = MinButtonHeight;
};
