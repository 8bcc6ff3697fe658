#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>

namespace MessageBoxes {

namespace {

// A title bar holds the window icon and up to three buttons beside the
// title, whose font is often bold and a little larger than the dialog's.
constexpr int TitleBarExtras = 140;

int TitleRoom(const QDialog& dialog) {
    QFont font = dialog.font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    return QFontMetrics(font).horizontalAdvance(dialog.windowTitle()) + TitleBarExtras;
}

} // namespace

QMessageBox::StandardButton Show(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                 QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, QStringLiteral("Spotweaver"), text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton) {
        box.setDefaultButton(defaultButton);
    }
    // A message box sizes itself to its text and ignores a minimum width;
    // a spacer across its grid widens it.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(
            new QSpacerItem(TitleRoom(box), 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
            grid->rowCount(), 0, 1, grid->columnCount());
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void LeaveRoomForTitle(QDialog& dialog) {
    dialog.setMinimumWidth(TitleRoom(dialog));
}

} // namespace MessageBoxes
