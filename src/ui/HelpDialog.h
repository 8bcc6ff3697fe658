#pragma once

#include <QDialog>

// Help Topics: the program's README, shown as formatted text.
class CHelpDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CHelpDialog(QWidget* parent = nullptr);

    // The README bundled into the program.
    static QString ReadmeText();
};
