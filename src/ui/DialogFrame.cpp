#include "ui/DialogFrame.h"

#include "ui/MessageBoxes.h"

#include <QDialog>
#include <QLayout>

void DialogFrame::Apply(QDialog& dialog) {
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    MessageBoxes::LeaveRoomForTitle(dialog);
    if (QLayout* layout = dialog.layout()) {
        layout->setSizeConstraint(QLayout::SetMinimumSize);
    }
}
