#pragma once

#include <QDialog>

// Help Topics: the user's guide, shown as formatted text with its pictures.
class CHelpDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CHelpDialog(QWidget* parent = nullptr);

    // The guide bundled into the program.
    static QString GuideText();
};
