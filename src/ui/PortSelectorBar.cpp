#include "ui/PortSelectorBar.h"

#include "ui/MenuCommand.h"
#include "ui/ToolIcons.h"

#include <QAction>
#include <QComboBox>
#include <QSignalBlocker>
#include <QWidget>

namespace {

QAction* CommandAction(QToolBar& bar, int id, CToolIcons::Image image) {
    const MenuCommand& command = MenuCommand::Of(id);
    QString text = QString::fromStdString(command.ToolTip());
    auto* action = bar.addAction(CToolIcons::Of(image), text);
    action->setToolTip(text);
    action->setStatusTip(QString::fromStdString(command.StatusTip()));
    action->setData(id);
    return action;
}

} // namespace

CPortSelectorBar::CPortSelectorBar(QWidget* parent)
    : QToolBar(QStringLiteral("Port Toolbar"), parent) {
    setObjectName("ConsoleToolBar");
    setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    setIconSize(QSize(16, 15));
    m_selector = new QComboBox(this);
    m_selector->setObjectName("PortSelector");
    m_selector->setToolTip(
        QStringLiteral("The port that Connect and Disconnect act on; ALL for every port"));
    m_selector->setMinimumWidth(SelectorWidth);
    m_selector->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_selector->addItem(QStringLiteral("ALL"));
    m_selector->setCurrentIndex(0);
    addWidget(m_selector);
    auto* gap = new QWidget(this);
    gap->setFixedWidth(Gap);
    addWidget(gap);
    m_connect = CommandAction(*this, CommandId::Connect, CToolIcons::Image::Connect);
    m_disconnect = CommandAction(*this, CommandId::Disconnect, CToolIcons::Image::Disconnect);
    connect(m_connect, &QAction::triggered, this,
            [this] { emit CommandRequested(CommandId::Connect); });
    connect(m_disconnect, &QAction::triggered, this,
            [this] { emit CommandRequested(CommandId::Disconnect); });
    connect(m_selector, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { emit SelectionChanged(text.toStdString()); });
}

void CPortSelectorBar::ShowItems(const std::vector<std::string>& items,
                                 const std::string& current) {
    QSignalBlocker block(m_selector);
    m_selector->clear();
    for (const auto& item : items) {
        m_selector->addItem(QString::fromStdString(item));
    }
    m_selector->setCurrentIndex(m_selector->findText(QString::fromStdString(current),
                                                     Qt::MatchExactly | Qt::MatchCaseSensitive));
}

std::string CPortSelectorBar::CurrentText() const {
    return m_selector->currentText().toStdString();
}
