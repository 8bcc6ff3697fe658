#pragma once

#include <QMessageBox>
#include <QString>

class QDialog;
class QWidget;

// The program's message boxes, titled "Spotweaver", each wide enough for the
// window manager to show its title whole beside its buttons.
namespace MessageBoxes {

QMessageBox::StandardButton Show(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                 QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// Makes a dialog at least as wide as its title needs in a title bar.
void LeaveRoomForTitle(QDialog& dialog);

} // namespace MessageBoxes
