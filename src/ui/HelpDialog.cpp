#include "ui/HelpDialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

CHelpDialog::CHelpDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Spotweaver Help Topics"));
    resize(720, 560);
    auto* browser = new QTextBrowser(this);
    browser->setObjectName("HelpText");
    browser->setOpenExternalLinks(false);
    browser->setMarkdown(ReadmeText());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser, 1);
    layout->addWidget(buttons);
}

QString CHelpDialog::ReadmeText() {
    QFile readme(QStringLiteral(":/help/README.md"));
    if (!readme.open(QIODevice::ReadOnly)) {
        return QStringLiteral("The help text is not built into this program.");
    }
    return QString::fromUtf8(readme.readAll());
}
