#include "ui/RouteSetupDialog.h"

#include "document/RouteSetupModel.h"
#include "ui/MessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>

namespace {

constexpr int FromRole = Qt::UserRole;
constexpr int ToRole = Qt::UserRole + 1;
constexpr int TraceRole = Qt::UserRole + 2;

} // namespace

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
    m_routes = new QListWidget(this);
    m_routes->setObjectName("ExistingRoutes");
    m_routes->setSelectionMode(QAbstractItemView::SingleSelection);
    m_routes->setMinimumSize(420, 180);
    connect(m_routes, &QListWidget::itemSelectionChanged, this, &CRouteSetupDialog::OnRowSelected);
    m_result = new QLabel(this);
    m_result->setObjectName("RouteResult");

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
    addButton(QStringLiteral("Add Route"), "AddRoute", 0, 0, [this] { AddRoute(); });
    m_remove = addButton(QStringLiteral("Remove Route"), "RemoveRoute", 0, 1,
                         [this] { RemoveSelectedRoute(); });
    addButton(QStringLiteral("Add Trace"), "AddTrace", 1, 0, [this] {
        if (m_model.AddTrace(From(), To())) {
            ShowRoutes();
            Confirm(QStringLiteral("Trace added: %1 \u2192 %2")
                        .arg(QString::fromStdString(From()), QString::fromStdString(To())));
        }
    });
    addButton(QStringLiteral("Remove Trace"), "RemoveTrace", 1, 1, [this] {
        if (m_model.RemoveTrace(From())) {
            ShowRoutes();
            Confirm(QStringLiteral("Trace removed from %1").arg(QString::fromStdString(From())));
        }
    });
    addButton(QStringLiteral("Done"), "Done", 0, 2, [this] { accept(); })->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(new QLabel(QStringLiteral("Existing Routes"), this));
    layout->addWidget(m_routes, 1);
    layout->addWidget(m_result);
    layout->addLayout(buttons);
    ShowRoutes();
}

void CRouteSetupDialog::ShowRoutes() {
    m_routes->clear();
    for (const CRouteSetupModel::Row& row : m_model.Rows()) {
        auto* item = new QListWidgetItem(
            QStringLiteral("%1 \u2192 %2%3")
                .arg(QString::fromStdString(row.from), QString::fromStdString(row.to),
                     row.trace ? QStringLiteral(" (trace)") : QString()),
            m_routes);
        item->setData(FromRole, QString::fromStdString(row.from));
        item->setData(ToRole, QString::fromStdString(row.to));
        item->setData(TraceRole, row.trace);
    }
    m_remove->setEnabled(false);
}

void CRouteSetupDialog::AddRoute() {
    const QString from = QString::fromStdString(From());
    const QString to = QString::fromStdString(To());
    if (From() == To()) {
        Confirm(QStringLiteral("Not added: %1 cannot route to itself").arg(from));
        return;
    }
    if (m_model.AddRoute(From(), To(), m_twoWay->isChecked())) {
        ShowRoutes();
        Confirm(
            QStringLiteral("Route added: %1 %2 %3")
                .arg(from,
                     m_twoWay->isChecked() ? QStringLiteral("\u2194") : QStringLiteral("\u2192"),
                     to));
    }
}

// The selected row alone goes, or with 2 Way the route back with it: never
// a route the row does not show.
void CRouteSetupDialog::RemoveSelectedRoute() {
    const QList<QListWidgetItem*> selected = m_routes->selectedItems();
    if (selected.isEmpty() || selected.front()->data(TraceRole).toBool()) {
        return;
    }
    const QString from = selected.front()->data(FromRole).toString();
    const QString to = selected.front()->data(ToRole).toString();
    const bool twoWay = m_twoWay->isChecked();
    if (m_model.RemoveRoute(from.toStdString(), to.toStdString(), twoWay)) {
        ShowRoutes();
        Confirm(QStringLiteral("Route removed: %1 %2 %3")
                    .arg(from, twoWay ? QStringLiteral("\u2194") : QStringLiteral("\u2192"), to));
    }
}

void CRouteSetupDialog::OnRowSelected() {
    const QList<QListWidgetItem*> selected = m_routes->selectedItems();
    const bool route = !selected.isEmpty() && !selected.front()->data(TraceRole).toBool();
    m_remove->setEnabled(route);
    if (!selected.isEmpty()) {
        m_from->setCurrentText(selected.front()->data(FromRole).toString());
        m_to->setCurrentText(selected.front()->data(ToRole).toString());
    }
}

void CRouteSetupDialog::Confirm(const QString& text) {
    m_result->setText(text);
}

std::string CRouteSetupDialog::From() const {
    return m_from->currentText().toStdString();
}

std::string CRouteSetupDialog::To() const {
    return m_to->currentText().toStdString();
}
