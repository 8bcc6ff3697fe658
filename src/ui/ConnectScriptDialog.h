#pragma once

#include "ui/ConnectScriptModel.h"

#include <QDialog>

#include <array>

struct ConnectScriptValues;
class QCheckBox;
class QLineEdit;

// "Connect Script Setup": ten prompt/response rows, automatic reconnect and
// its seconds, over CConnectScriptModel. Controls are named "Prompt1".."Prompt10",
// "Response1".."Response10", "AutoReconnect" and "Seconds".
class CConnectScriptDialog : public QDialog {
    Q_OBJECT
  public:
    CConnectScriptDialog(ConnectScriptValues& values, QWidget* parent = nullptr);

    void accept() override;

  private:
    ConnectScriptValues& m_values;
    std::array<QLineEdit*, CConnectScriptModel::Rows> m_prompts{};
    std::array<QLineEdit*, CConnectScriptModel::Rows> m_responses{};
    QCheckBox* m_autoReconnect = nullptr;
    QLineEdit* m_seconds = nullptr;
};
