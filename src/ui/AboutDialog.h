#pragma once

#include <QDialog>

// "About spotweaver": the program's icon, its version and an OK button.
class CAboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDialog(QWidget* parent = nullptr);

    static QString VersionText();
};
