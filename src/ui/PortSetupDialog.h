#pragma once

#include "ui/PortSetupModel.h"

#include <QDialog>

#include <functional>
#include <map>
#include <string>

struct PortSetupValues;
class QGridLayout;

// The setup dialog of every port kind, drawn from CPortSetupModel: the kind's
// transport group above "General Port Setup". Every control is named after
// its field's key. What the user does goes to the model, and the controls
// show the model's texts and states again after each choice of a list.
class CPortSetupDialog : public QDialog {
    Q_OBJECT
  public:
    CPortSetupDialog(PortSetupValues& values, QWidget* parent = nullptr);

    QWidget* Control(const std::string& key) const;
    const CPortSetupModel& Model() const { return m_model; }

    // OK: the model's checks; a refusal shows its message, focuses the field
    // and keeps the dialog open.
    void accept() override;

    // How Browse... asks for a file: given the dialog and the current name,
    // the chosen one or empty. A file dialog unless a test answers instead.
    using FileChooser = std::function<QString(QWidget*, const QString&)>;
    void SetFileChooser(FileChooser choose);

  private:
    QWidget* MakeControl(const SetupField& field);
    void AddRow(QGridLayout& grid, int row, int column, const std::string& key);
    void Show();
    void OnListChosen(const std::string& key, const QString& text);
    void Browse(const std::string& key);

    PortSetupValues& m_values;
    CPortSetupModel m_model;
    std::map<std::string, QWidget*> m_controls;
    std::map<std::string, Qt::FocusPolicy> m_focusPolicies;
    std::map<std::string, QWidget*> m_browseButtons;
    FileChooser m_chooseFile;
    QWidget* m_filters = nullptr;
    bool m_showing = false;
};
