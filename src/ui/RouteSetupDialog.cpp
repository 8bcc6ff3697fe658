#include "ui/RouteSetupDialog.h"

#include "document/RouteSetupModel.h"
#include "ui/MessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>

CRouteSetupDialog::CRouteSetupDialog(CRouteSetupModel& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setWindowTitle(QStringLiteral("Route Setup"));
    MessageBoxes::LeaveRoomForTitle(*this);
    m_from = new QComboBox(this);
    m_from->setObjectName("RouteFrom");
    m_to = new QComboBox(this);
    m_to->setObjectName("RouteTo");
    for (const std::string& name : m_model.PortNames()) {
        m_from->addItem(QString::fromStdString(name));
        m_to->addItem(QString::fromStdString(name));
    }
    m_twoWay = new QCheckBox(QStringLiteral("2 Way"), this);
    m_twoWay->setObjectName("TwoWay");
    m_routes = new QPlainTextEdit(this);
    m_routes->setObjectName("ExistingRoutes");
    m_routes->setReadOnly(true);
    m_routes->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_routes->setMinimumSize(420, 180);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Route From"), this), 0, 0);
    grid->addWidget(m_from, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Route To"), this), 1, 0);
    grid->addWidget(m_to, 1, 1);
    grid->addWidget(m_twoWay, 1, 2);

    auto* buttons = new QGridLayout;
    auto addButton = [this, buttons](const QString& text, const char* name, int row, int column,
                                     std::function<void()> action) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, std::move(action));
        buttons->addWidget(button, row, column);
        return button;
    };
    addButton(QStringLiteral("Add Route"), "AddRoute", 0, 0, [this] {
        if (m_model.AddRoute(From(), To(), m_twoWay->isChecked())) {
            ShowRoutes();
        }
    });
    addButton(QStringLiteral("Remove Route"), "RemoveRoute", 0, 1, [this] {
        if (m_model.RemoveRoute(From(), To(), m_twoWay->isChecked())) {
            ShowRoutes();
        }
    });
    addButton(QStringLiteral("Add Trace"), "AddTrace", 1, 0, [this] {
        if (m_model.AddTrace(From(), To())) {
            ShowRoutes();
        }
    });
    addButton(QStringLiteral("Remove Trace"), "RemoveTrace", 1, 1, [this] {
        if (m_model.RemoveTrace(From())) {
            ShowRoutes();
        }
    });
    addButton(QStringLiteral("Done"), "Done", 0, 2, [this] { accept(); })->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(new QLabel(QStringLiteral("Existing Routes"), this));
    layout->addWidget(m_routes, 1);
    layout->addLayout(buttons);
    ShowRoutes();
}

void CRouteSetupDialog::ShowRoutes() {
    QString text = QString::fromStdString(m_model.DisplayText());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_routes->setPlainText(text);
}

std::string CRouteSetupDialog::From() const {
    return m_from->currentText().toStdString();
}

std::string CRouteSetupDialog::To() const {
    return m_to->currentText().toStdString();
}
