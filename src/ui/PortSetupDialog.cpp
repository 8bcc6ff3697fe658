#include "ui/PortSetupDialog.h"

#include "ui/DialogFrame.h"
#include "ui/FilterDialog.h"
#include "ui/MessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A log file is appended to, so choosing an existing one asks nothing.
QString AskForFile(QWidget* parent, const QString& current) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Log File"), current, QString(),
                                        nullptr, QFileDialog::DontConfirmOverwrite);
}

} // namespace

CPortSetupDialog::CPortSetupDialog(PortSetupValues& values, QWidget* parent)
    : QDialog(parent), m_values(values), m_model(values), m_chooseFile(AskForFile) {
    setWindowTitle(Q(m_model.Form().title));
    for (const SetupField& field : m_model.Fields()) {
        m_controls[field.key] = MakeControl(field);
    }
    auto* layout = new QVBoxLayout(this);

    if (!m_model.Form().group.empty()) {
        auto* group = new QGroupBox(Q(m_model.Form().group), this);
        auto* grid = new QGridLayout(group);
        int row = 0;
        for (const SetupField& field : m_model.Fields()) {
            if (field.transport) {
                AddRow(*grid, row / 2, (row % 2) * 2, field.key);
                ++row;
            }
        }
        layout->addWidget(group);
    }

    auto* general = new QGroupBox(QStringLiteral("General Port Setup"), this);
    auto* grid = new QGridLayout(general);
    AddRow(*grid, 0, 0, "Name");
    AddRow(*grid, 0, 2, "IsTNC");
    auto* stream = new QHBoxLayout;
    stream->addWidget(m_controls["StreamSW"]);
    stream->addWidget(m_controls["StreamID"]);
    auto* streamLabel = new QLabel(QStringLiteral("Stream Switch/ID"), general);
    streamLabel->setBuddy(m_controls["StreamSW"]);
    grid->addWidget(streamLabel, 1, 0);
    grid->addLayout(stream, 1, 1);
    AddRow(*grid, 1, 2, "BufferSize");
    AddRow(*grid, 2, 0, "KeepAlive");
    AddRow(*grid, 2, 2, "DataType");
    AddRow(*grid, 3, 0, "MyCall");
    AddRow(*grid, 3, 2, "Hops");
    AddRow(*grid, 4, 0, "AntiLoopPx");
    AddRow(*grid, 4, 2, "Dupes");
    AddRow(*grid, 5, 0, "CRLF");
    AddRow(*grid, 5, 2, "PskRepeat");
    int row = 6;
    for (const char* key :
         {"BlockDashAt", "StripAtPound", "OnlySkimmerCQ", "NodeHandshake", "AddConsoleRoutes"}) {
        grid->addWidget(m_controls[key], row++, 0, 1, 4);
    }
    auto* merging = new QGroupBox(QStringLiteral("Skimmer merging"), general);
    merging->setObjectName("SkimmerMerging");
    auto* mergeGrid = new QGridLayout(merging);
    mergeGrid->addWidget(m_controls["SkimmerMerge"], 0, 0, 1, 2);
    AddRow(*mergeGrid, 1, 0, "SkimmerMergeValues");
    grid->addWidget(merging, row++, 0, 1, 4);
    auto* filters = new QPushButton(QStringLiteral("&Filters..."), general);
    filters->setObjectName("Filters");
    filters->setToolTip(QStringLiteral("Rules for which spots this port sends out."));
    m_filters = filters;
    connect(filters, &QPushButton::clicked, this, [this] { CFilterDialog(m_values, this).exec(); });
    grid->addWidget(filters, row, 0);
    layout->addWidget(general);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPortSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    DialogFrame::Apply(*this);
    Show();
}

QWidget* CPortSetupDialog::MakeControl(const SetupField& field) {
    const std::string key = field.key;
    QWidget* control = nullptr;
    switch (field.kind) {
    case SetupField::Kind::Edit: {
        auto* edit = new QLineEdit(this);
        connect(edit, &QLineEdit::textEdited, this,
                [this, key](const QString& text) { m_model.SetText(key, text.toStdString()); });
        if (field.secret) {
            edit->setEchoMode(QLineEdit::Password);
        }
        // Every number of the dialog is a count: digits only.
        if (field.integer && field.low >= 0) {
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), edit));
        }
        control = edit;
        break;
    }
    case SetupField::Kind::List: {
        auto* list = new QComboBox(this);
        list->setEditable(field.editable);
        if (field.editable) {
            connect(list, &QComboBox::currentTextChanged, this, [this, key](const QString& text) {
                if (!m_showing) {
                    m_model.SetText(key, text.toStdString());
                }
            });
        } else {
            connect(list, &QComboBox::textActivated, this,
                    [this, key](const QString& text) { OnListChosen(key, text); });
        }
        control = list;
        break;
    }
    case SetupField::Kind::Check: {
        auto* check = new QCheckBox(Q(field.label), this);
        connect(check, &QCheckBox::toggled, this, [this, key](bool on) {
            if (!m_showing) {
                m_model.SetChecked(key, on);
            }
        });
        control = check;
        break;
    }
    }
    control->setObjectName(Q(key));
    control->setToolTip(Q(field.tip));
    m_focusPolicies[key] = control->focusPolicy();
    return control;
}

void CPortSetupDialog::AddRow(QGridLayout& grid, int row, int column, const std::string& key) {
    const SetupField& field = m_model.Field(key);
    QString text = Q(field.label);
    if (!field.unit.empty()) {
        text += QStringLiteral(" (") + Q(field.unit) + QStringLiteral(")");
    }
    auto* label = new QLabel(text, this);
    label->setBuddy(m_controls[key]);
    label->setToolTip(Q(field.tip));
    grid.addWidget(label, row, column);
    if (!field.browse) {
        grid.addWidget(m_controls[key], row, column + 1);
        return;
    }
    auto* line = new QHBoxLayout;
    line->addWidget(m_controls[key]);
    auto* browse = new QPushButton(QStringLiteral("&Browse\u2026"), this);
    browse->setObjectName(Q(key + "Browse"));
    browse->setToolTip(QStringLiteral("Choose the file in a file dialog."));
    connect(browse, &QPushButton::clicked, this, [this, key] { Browse(key); });
    line->addWidget(browse);
    m_browseButtons[key] = browse;
    grid.addLayout(line, row, column + 1);
}

void CPortSetupDialog::Browse(const std::string& key) {
    auto* edit = qobject_cast<QLineEdit*>(m_controls[key]);
    const QString chosen = m_chooseFile(this, edit->text());
    if (chosen.isEmpty()) {
        return;
    }
    edit->setText(chosen);
    m_model.SetText(key, chosen.toStdString());
}

void CPortSetupDialog::SetFileChooser(FileChooser choose) {
    m_chooseFile = std::move(choose);
}

void CPortSetupDialog::OnListChosen(const std::string& key, const QString& text) {
    if (key == "DataType") {
        m_model.ChooseDataType(text.toStdString());
    } else if (key == "IsTNC") {
        m_model.ChooseTnc(text.toStdString());
    } else {
        m_model.SetText(key, text.toStdString());
    }
    Show();
}

void CPortSetupDialog::Show() {
    m_showing = true;
    for (const SetupField& field : m_model.Fields()) {
        QWidget* control = m_controls[field.key];
        control->setEnabled(field.enabled);
        // A greyed field is passed over by Tab.
        control->setFocusPolicy(field.enabled && !field.readOnly ? m_focusPolicies[field.key]
                                                                 : Qt::NoFocus);
        if (auto browse = m_browseButtons.find(field.key); browse != m_browseButtons.end()) {
            browse->second->setEnabled(field.enabled && !field.readOnly);
        }
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            if (edit->text() != Q(field.text)) {
                edit->setText(Q(field.text));
            }
            edit->setReadOnly(field.readOnly);
            // A locked field looks locked: the window's grey behind the text,
            // as the desktop shows a field that can be read but not typed in.
            if (field.readOnly) {
                QPalette locked = palette();
                locked.setColor(QPalette::Base, locked.color(QPalette::Window));
                edit->setPalette(locked);
            } else {
                edit->setPalette(QPalette());
            }
        } else if (auto* list = qobject_cast<QComboBox*>(control)) {
            if (list->count() != static_cast<int>(field.choices.size())) {
                list->clear();
                for (const auto& choice : field.choices) {
                    list->addItem(Q(choice));
                }
            }
            const int at = list->findText(Q(field.text), Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (at >= 0) {
                list->setCurrentIndex(at);
            } else {
                list->setCurrentText(Q(field.text));
            }
        } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
            check->setChecked(field.checked);
        }
    }
    if (m_filters != nullptr) {
        m_filters->setEnabled(m_model.FiltersApply());
    }
    m_showing = false;
}

QWidget* CPortSetupDialog::Control(const std::string& key) const {
    auto at = m_controls.find(key);
    return at == m_controls.end() ? nullptr : at->second;
}

void CPortSetupDialog::accept() {
    if (auto refusal = m_model.Accept(m_values)) {
        MessageBoxes::Show(this, QMessageBox::Warning, Q(refusal->message));
        if (QWidget* control = Control(refusal->key)) {
            control->setFocus();
            if (auto* edit = qobject_cast<QLineEdit*>(control)) {
                edit->selectAll();
            }
        }
        return;
    }
    QDialog::accept();
}
