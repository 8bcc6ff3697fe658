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
    browser->setOpenExternalLinks(true);
    // The guide's pictures are built in beside it.
    browser->setSearchPaths({QStringLiteral(":/help")});
    browser->setMarkdown(GuideText());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser, 1);
    layout->addWidget(buttons);
}

QString CHelpDialog::GuideText() {
    QFile guide(QStringLiteral(":/help/user-guide.md"));
    if (!guide.open(QIODevice::ReadOnly)) {
        return QStringLiteral("The user's guide is not built into this program.");
    }
    return QString::fromUtf8(guide.readAll());
}
