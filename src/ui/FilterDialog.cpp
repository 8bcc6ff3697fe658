#include "ui/FilterDialog.h"

#include "port/PortSetupValues.h"
#include "ui/DialogFrame.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

CFilterDialog::CFilterDialog(PortSetupValues& values, QWidget* parent)
    : QDialog(parent), m_values(values), m_model(values), m_list(new QListWidget(this)),
      m_rule(new QLineEdit(this)), m_text(new QPlainTextEdit(this)),
      m_countryFile(new QLineEdit(Q(values.countryFile), this)), m_message(new QLabel(this)),
      m_summary(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Filters"));
    m_list->setObjectName("Rules");
    m_rule->setObjectName("Rule");
    m_rule->setPlaceholderText(QStringLiteral("reject band=60m,30m mode=DIGI"));
    m_rule->setToolTip(QStringLiteral(
        "accept or reject, then criteria: band=, mode= (CW, DIGI, SSB), dx= and spotter= "
        "(call patterns, VK9*), skimmer= (yes, no), dx-cont= and spotter-cont= (AF, AN, AS, "
        "EU, NA, OC, SA), spotter-grid= (locator prefixes, JO,FN42), spotter-dxcc= (ADIF "
        "entity numbers, 230)"));
    m_text->setObjectName("RulesText");
    m_countryFile->setObjectName("CountryFile");
    m_countryFile->setPlaceholderText(QStringLiteral("the program's default"));
    m_message->setObjectName("Message");

    m_summary->setObjectName("Summary");
    m_summary->setWordWrap(true);
    m_message->setWordWrap(true);
    m_message->setStyleSheet(QStringLiteral("color: #b00020"));
    // Each rule shows on one line and its words under it, wrapped to the
    // list's width: nothing is hidden beyond a sideways scroll.
    m_list->setWordWrap(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setResizeMode(QListView::Adjust);

    auto* layout = new QVBoxLayout(this);
    auto* scope = new QLabel(QStringLiteral("These rules act on the spots this port sends out; "
                                            "what it receives is not filtered."),
                             this);
    scope->setObjectName("Scope");
    scope->setWordWrap(true);
    layout->addWidget(scope);
    layout->addWidget(m_summary);
    layout->addWidget(m_list);
    auto* ruleRow = new QHBoxLayout;
    ruleRow->addWidget(m_rule, 1);
    ruleRow->addWidget(m_message, 1);
    layout->addLayout(ruleRow);
    auto* row = new QHBoxLayout;
    auto button = [this, row](const char* name, const QString& label, auto action) {
        auto* b = new QPushButton(label, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, action);
        row->addWidget(b);
        return b;
    };
    button("Add", QStringLiteral("&Add"), [this] {
        Done(m_model.Add(m_rule->text().toStdString()), static_cast<int>(m_model.Rules().size()));
    });
    button("Replace", QStringLiteral("Re&place"), [this] {
        Done(m_model.Replace(static_cast<std::size_t>(Selected()), m_rule->text().toStdString()),
             Selected());
    });
    button("Remove", QStringLiteral("&Remove"), [this] {
        m_model.Remove(static_cast<std::size_t>(Selected()));
        Done({}, Selected());
    });
    row->addStretch();
    auto* order = new QLabel(QStringLiteral("Display order only:"), this);
    order->setObjectName("OrderNote");
    row->addWidget(order);
    const QString orderTip = QStringLiteral("Moves the rule in the list. The order does not change "
                                            "which spots are sent out.");
    button("Up", QStringLiteral("&Up"), [this] {
        const int at = Selected();
        Done({}, m_model.MoveUp(static_cast<std::size_t>(at)) ? at - 1 : at);
    })->setToolTip(orderTip);
    button("Down", QStringLiteral("&Down"), [this] {
        const int at = Selected();
        Done({}, m_model.MoveDown(static_cast<std::size_t>(at)) ? at + 1 : at);
    })->setToolTip(orderTip);
    layout->addLayout(row);

    layout->addWidget(new QLabel(QStringLiteral("The rules as text, one a line:"), this));
    layout->addWidget(m_text);
    auto* useText = new QPushButton(QStringLiteral("Use &Text"), this);
    useText->setObjectName("UseText");
    useText->setAutoDefault(false);
    connect(useText, &QPushButton::clicked, this,
            [this] { Done(m_model.SetText(m_text->toPlainText().toStdString()), 0); });
    layout->addWidget(useText);

    auto* file = new QHBoxLayout;
    file->addWidget(new QLabel(QStringLiteral("Country file"), this));
    file->addWidget(m_countryFile);
    layout->addLayout(file);
    if (!values.spotCounts.empty()) {
        layout->addWidget(new QLabel(Q("This port so far: " + values.spotCounts), this));
    }
    layout->addWidget(m_message);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFilterDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    DialogFrame::Apply(*this);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int at) {
        if (at >= 0 && at < static_cast<int>(m_model.Rules().size())) {
            m_rule->setText(Q(m_model.Rules()[static_cast<std::size_t>(at)]));
        }
    });
    Show(0);
}

int CFilterDialog::Selected() const {
    return m_list->currentRow();
}

void CFilterDialog::Done(const std::string& refusal, int selected) {
    if (!refusal.empty()) {
        m_message->setText(Q(refusal));
        return;
    }
    m_message->clear();
    Show(selected);
}

void CFilterDialog::Show(int selected) {
    m_list->clear();
    for (const std::string& rule : m_model.Rules()) {
        m_list->addItem(Q(rule + "\n    " + CFilterListModel::Words(rule)));
    }
    m_summary->setText(Q(m_model.Summary()));
    m_text->setPlainText(Q(m_model.Text()));
    if (m_list->count() > 0) {
        m_list->setCurrentRow(std::clamp(selected, 0, m_list->count() - 1));
    }
}

void CFilterDialog::accept() {
    m_model.countryFile = m_countryFile->text().trimmed().toStdString();
    m_model.Accept(m_values);
    QDialog::accept();
}
