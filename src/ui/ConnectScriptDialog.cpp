#include "ui/ConnectScriptDialog.h"

#include "ui/DialogFrame.h"
#include "ui/MessageBoxes.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

CConnectScriptDialog::CConnectScriptDialog(ConnectScriptValues& values, QWidget* parent)
    : QDialog(parent), m_values(values) {
    setWindowTitle(QStringLiteral("Connect Script Setup"));
    const CConnectScriptModel model(values);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Prompt"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Response"), this), 0, 1);
    for (int i = 0; i < CConnectScriptModel::Rows; ++i) {
        const auto row = static_cast<std::size_t>(i);
        m_prompts[row] = new QLineEdit(Q(model.prompts[row]), this);
        m_prompts[row]->setObjectName(QStringLiteral("Prompt%1").arg(i + 1));
        m_responses[row] = new QLineEdit(Q(model.responses[row]), this);
        m_responses[row]->setObjectName(QStringLiteral("Response%1").arg(i + 1));
        m_prompts[row]->setToolTip(
            QStringLiteral("Text the port waits for from the peer, such as \"login:\"."));
        m_responses[row]->setToolTip(
            QStringLiteral("What the port sends when the prompt arrives, such as your call."));
        grid->addWidget(m_prompts[row], i + 1, 0);
        grid->addWidget(m_responses[row], i + 1, 1);
    }
    m_autoReconnect = new QCheckBox(QStringLiteral("Enable automatic reconnect"), this);
    m_autoReconnect->setObjectName("AutoReconnect");
    m_autoReconnect->setChecked(model.autoReconnect);
    m_autoReconnect->setToolTip(
        QStringLiteral("Connect again by itself when the link drops or cannot be made."));
    m_seconds = new QLineEdit(Q(model.seconds), this);
    m_seconds->setObjectName("Seconds");
    m_seconds->setMaximumWidth(80);
    m_seconds->setToolTip(QStringLiteral("Seconds to wait before connecting again."));
    auto* reconnect = new QHBoxLayout;
    reconnect->addWidget(m_autoReconnect);
    reconnect->addStretch(1);
    auto* secondsLabel = new QLabel(QStringLiteral("Seconds"), this);
    secondsLabel->setBuddy(m_seconds);
    reconnect->addWidget(secondsLabel);
    reconnect->addWidget(m_seconds);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CConnectScriptDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(reconnect);
    layout->addWidget(buttons);
    DialogFrame::Apply(*this);
    resize(560, sizeHint().height());
}

void CConnectScriptDialog::accept() {
    CConnectScriptModel model(m_values);
    for (std::size_t i = 0; i < m_prompts.size(); ++i) {
        model.prompts[i] = m_prompts[i]->text().toStdString();
        model.responses[i] = m_responses[i]->text().toStdString();
    }
    model.autoReconnect = m_autoReconnect->isChecked();
    model.seconds = m_seconds->text().toStdString();
    if (auto problem = model.Accept(m_values)) {
        MessageBoxes::Show(this, QMessageBox::Warning, Q(*problem));
        m_seconds->setFocus();
        m_seconds->selectAll();
        return;
    }
    QDialog::accept();
}
