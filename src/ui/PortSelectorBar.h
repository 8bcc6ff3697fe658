#pragma once

#include <QToolBar>

#include <string>
#include <vector>

class QAction;
class QComboBox;

// The console toolbar: the port selector ("ALL" and every port name of the
// active document) that the Setup commands act on, and the Connect and
// Disconnect buttons, which issue the Setup menu's commands.
class CPortSelectorBar : public QToolBar {
    Q_OBJECT
  public:
    static constexpr int SelectorWidth = 100;
    static constexpr int Gap = 12;

    explicit CPortSelectorBar(QWidget* parent = nullptr);

    // Shows a document's list with its current text (empty for none).
    void ShowItems(const std::vector<std::string>& items, const std::string& current);
    std::string CurrentText() const;
    QComboBox& Selector() const { return *m_selector; }
    QAction& ConnectAction() const { return *m_connect; }
    QAction& DisconnectAction() const { return *m_disconnect; }

  signals:
    void CommandRequested(int commandId);
    void SelectionChanged(const std::string& text);

  private:
    QComboBox* m_selector = nullptr;
    QAction* m_connect = nullptr;
    QAction* m_disconnect = nullptr;
};
