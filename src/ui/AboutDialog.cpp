#include "ui/AboutDialog.h"

#include "ui/MessageBoxes.h"
#include "ui/ToolIcons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About spotweaver"));
    auto* icon = new QLabel(this);
    icon->setPixmap(CToolIcons::Of(CToolIcons::Image::Program).pixmap(32, 32));
    auto* text = new QLabel(VersionText(), this);
    text->setObjectName("VersionText");
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(text, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    MessageBoxes::LeaveRoomForTitle(*this);
}

QString CAboutDialog::VersionText() {
    return QStringLiteral("Spotweaver Version %1").arg(QStringLiteral(SPOTWEAVER_VERSION));
}
