#pragma once

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// Answers the modal windows that a step under test opens, as a user would:
// every message box's text is recorded and the box is closed with the next
// scripted button (the box's escape button when none is left); any other
// dialog is handed to onDialog, or cancelled.
class ModalAnswers {
  public:
    explicit ModalAnswers(std::deque<QMessageBox::StandardButton> answers = {})
        : m_answers(std::move(answers)) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start();
    }

    std::vector<std::string> texts;
    // The button Enter would press in each message box.
    std::vector<QMessageBox::StandardButton> defaults;
    // The width of each message box, as shown.
    std::vector<int> boxWidths;
    std::vector<std::string> dialogTitles;
    std::function<void(QDialog&)> onDialog;

  private:
    void Poll() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible() ||
            std::find(m_busy.begin(), m_busy.end(), dialog) != m_busy.end()) {
            return;
        }
        m_busy.push_back(dialog);
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            texts.push_back(box->text().toStdString());
            defaults.push_back(box->defaultButton() != nullptr
                                   ? box->standardButton(box->defaultButton())
                                   : QMessageBox::NoButton);
            boxWidths.push_back(box->width());
            QAbstractButton* button = nullptr;
            if (!m_answers.empty()) {
                button = box->button(m_answers.front());
                m_answers.pop_front();
            }
            if (button == nullptr) {
                button =
                    box->escapeButton() != nullptr ? box->escapeButton() : box->buttons().value(0);
            }
            button->click();
        } else {
            dialogTitles.push_back(dialog->windowTitle().toStdString());
            if (onDialog) {
                onDialog(*dialog);
            }
            if (dialog->isVisible()) {
                dialog->reject();
            }
        }
        m_busy.erase(std::find(m_busy.begin(), m_busy.end(), dialog));
    }

    std::deque<QMessageBox::StandardButton> m_answers;
    QTimer m_timer;
    // Dialogs being answered; a box they open meanwhile is answered too.
    std::vector<QDialog*> m_busy;
};
