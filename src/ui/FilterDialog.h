#pragma once

#include "ui/FilterListModel.h"

#include <QDialog>

struct PortSetupValues;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

// The "Filters" dialog of the port setup, drawn from CFilterListModel: what
// the rules act on, a summary of the set, the rules each with its words
// under it, an edit line for one rule with its refusal beside it (Add,
// Replace, Remove, and Up and Down for the display order), the rules as text
// ("Use Text" takes them), the country file and the port's spot counts. OK
// hands the rules to the port setup values.
class CFilterDialog : public QDialog {
    Q_OBJECT
  public:
    CFilterDialog(PortSetupValues& values, QWidget* parent = nullptr);

    const CFilterListModel& Model() const { return m_model; }
    void accept() override;

  private:
    void Show(int selected);
    // Shows a refusal, or the list again when there is none.
    void Done(const std::string& refusal, int selected);
    int Selected() const;

    PortSetupValues& m_values;
    CFilterListModel m_model;
    QListWidget* m_list;
    QLineEdit* m_rule;
    QPlainTextEdit* m_text;
    QLineEdit* m_countryFile;
    QLabel* m_message;
    QLabel* m_summary;
};
