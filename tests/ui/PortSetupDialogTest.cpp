#include "ui/PortSetupDialog.h"

#include "ModalAnswers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

PortSetupValues NewCom(std::vector<std::string> names = {"CON"}) {
    PortSetupValues v;
    v.kind = "COM";
    v.existingPortNames = std::move(names);
    v.name = "COM";
    v.dataType = "Cluster User";
    return v;
}

template <typename T> T& Get(const CPortSetupDialog& dialog, const std::string& key) {
    T* control = qobject_cast<T*>(dialog.Control(key));
    EXPECT_NE(control, nullptr) << key;
    return *control;
}

void Choose(QComboBox& list, const QString& text) {
    const int at = list.findText(text);
    list.setCurrentIndex(at);
    emit list.textActivated(text);
}

} // namespace

TEST(PortSetupDialogTest, NewCom_ShowsTheDefaultsAndOkReturnsThem) {
    PortSetupValues values = NewCom();
    CPortSetupDialog dialog(values);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Com Port Setup");
    std::vector<std::string> groups;
    for (QGroupBox* box : dialog.findChildren<QGroupBox*>()) {
        groups.push_back(box->title().toStdString());
    }
    EXPECT_EQ(groups, (std::vector<std::string>{"Com Port Setup", "General Port Setup",
                                                "Skimmer merging"}));
    EXPECT_EQ(Get<QComboBox>(dialog, "ComPort").currentText().toStdString(), "/dev/ttyUSB0");
    EXPECT_EQ(Get<QComboBox>(dialog, "BaudRate").count(), 5);
    EXPECT_EQ(Get<QLineEdit>(dialog, "AntiLoopPx").text().toStdString(), " <");
    EXPECT_TRUE(Get<QLineEdit>(dialog, "AntiLoopPx").isReadOnly() == false);
    EXPECT_TRUE(Get<QLineEdit>(dialog, "Hops").isReadOnly());
    EXPECT_TRUE(Get<QCheckBox>(dialog, "AddConsoleRoutes").isChecked());
    EXPECT_EQ(Get<QComboBox>(dialog, "DataType").itemText(5).toStdString(), "Direct");

    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(values.kindFields.size(), 6u);
    EXPECT_EQ(values.kindFields[0].second, "/dev/ttyUSB0");
    EXPECT_EQ(values.crlf, 2);
}

TEST(PortSetupDialogTest, ChooseMaster_ShowsDirectLocksListUnlocksSwitch) {
    PortSetupValues values = NewCom();
    CPortSetupDialog dialog(values);
    Choose(Get<QComboBox>(dialog, "IsTNC"), "MASTER");
    EXPECT_EQ(Get<QComboBox>(dialog, "DataType").currentText().toStdString(), "Direct");
    EXPECT_FALSE(Get<QComboBox>(dialog, "DataType").isEnabled());
    EXPECT_EQ(Get<QComboBox>(dialog, "CRLF").currentText().toStdString(), "CR");
    EXPECT_FALSE(Get<QLineEdit>(dialog, "StreamSW").isReadOnly());
    EXPECT_TRUE(Get<QLineEdit>(dialog, "StreamID").isReadOnly());
    EXPECT_TRUE(Get<QLineEdit>(dialog, "MyCall").isReadOnly());
    Choose(Get<QComboBox>(dialog, "IsTNC"), "FALSE");
    EXPECT_TRUE(Get<QComboBox>(dialog, "DataType").isEnabled());
}

TEST(PortSetupDialogTest, TypedDupes1001_IsRefusedAndTheDialogStaysOpen) {
    PortSetupValues values = NewCom();
    CPortSetupDialog dialog(values);
    dialog.show();
    QLineEdit& dupes = Get<QLineEdit>(dialog, "Dupes");
    dupes.selectAll();
    QTest::keyClicks(&dupes, "1001");
    ModalAnswers answers;
    dialog.accept();
    EXPECT_EQ(answers.texts, (std::vector<std::string>{
                                 "Please enter an integer between 0 and 1000. Dupes must be a "
                                 "whole number of spots from 0 to 1000."}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(values.dupes, 0);
    EXPECT_EQ(dupes.text().toStdString(), "1001");
}

TEST(PortSetupDialogTest, SecondCom_DuplicateNameMessage) {
    PortSetupValues values = NewCom({"CON", "COM"});
    CPortSetupDialog dialog(values);
    dialog.show();
    ModalAnswers answers;
    dialog.accept();
    EXPECT_EQ(answers.texts,
              (std::vector<std::string>{"Duplicate port name.  Change the 'Name' in the 'General "
                                        "Port Setup' setup and try again."}));
    EXPECT_TRUE(dialog.isVisible());
}

TEST(PortSetupDialogTest, ConnectedComEdit_ListsDisabledNameReadOnly) {
    PortSetupValues values = NewCom();
    values.mode = PortSetupMode::ConnectedEdit;
    CPortSetupDialog dialog(values);
    for (const char* key : {"ComPort", "BaudRate", "Bits", "Parity", "StopBits", "FlowControl",
                            "DataType", "IsTNC", "AddConsoleRoutes"}) {
        EXPECT_FALSE(dialog.Control(key)->isEnabled()) << key;
    }
    EXPECT_TRUE(Get<QLineEdit>(dialog, "Name").isReadOnly());
    EXPECT_TRUE(Get<QLineEdit>(dialog, "BufferSize").isReadOnly());
    // Locked fields have the window's colour behind their text, editable ones not.
    const QColor window = dialog.palette().color(QPalette::Window);
    EXPECT_EQ(Get<QLineEdit>(dialog, "Name").palette().color(QPalette::Base), window);
    EXPECT_EQ(Get<QLineEdit>(dialog, "Hops").palette().color(QPalette::Base), window);
    EXPECT_NE(Get<QLineEdit>(dialog, "KeepAlive").palette().color(QPalette::Base), window);
}

TEST(PortSetupDialogTest, NumberFieldsTakeDigitsOnlyAndCrLfIsAListOfEndings) {
    PortSetupValues values = NewCom();
    CPortSetupDialog dialog(values);
    dialog.show();
    QLineEdit& keepAlive = Get<QLineEdit>(dialog, "KeepAlive");
    keepAlive.clear();
    QTest::keyClicks(&keepAlive, "1a-5 ");
    EXPECT_EQ(keepAlive.text().toStdString(), "15");
    QComboBox& crlf = Get<QComboBox>(dialog, "CRLF");
    EXPECT_EQ(crlf.count(), 4);
    EXPECT_EQ(crlf.currentText().toStdString(), "LF");
    Choose(crlf, "CR LF");
    dialog.accept();
    EXPECT_EQ(values.crlf, 3);
    EXPECT_EQ(values.keepAlive, 15);
}

TEST(PortSetupDialogTest, EveryFieldHasATipUnitsShowAndGreyedFieldsTakeNoTab) {
    for (const char* kind : {"COM", "TEL", "CTE", "RXTEL", "FILE", "WSJTX", "CON"}) {
        SCOPED_TRACE(kind);
        PortSetupValues values = NewCom();
        values.kind = kind;
        CPortSetupDialog dialog(values);
        for (const SetupField& field : dialog.Model().Fields()) {
            QWidget* control = dialog.Control(field.key);
            EXPECT_FALSE(control->toolTip().isEmpty()) << field.key;
            const bool greyed =
                !control->isEnabled() || (qobject_cast<QLineEdit*>(control) != nullptr &&
                                          qobject_cast<QLineEdit*>(control)->isReadOnly());
            EXPECT_EQ(control->focusPolicy() == Qt::NoFocus, greyed) << field.key;
        }
        std::vector<std::string> labels;
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            labels.push_back(label->text().toStdString());
        }
        EXPECT_NE(std::find(labels.begin(), labels.end(), "Keep Alive Time (minutes)"),
                  labels.end());
        EXPECT_NE(std::find(labels.begin(), labels.end(), "Buffer Size (bytes)"), labels.end());
    }
}

TEST(PortSetupDialogTest, FrameHasNoMinMaxButtonsAndDoesNotShrinkBelowItsLabels) {
    PortSetupValues values = NewCom();
    CPortSetupDialog dialog(values);
    dialog.show();
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    dialog.resize(100, 100);
    EXPECT_GE(dialog.width(), dialog.minimumSizeHint().width());
    EXPECT_GE(dialog.height(), dialog.minimumSizeHint().height());
}

TEST(PortSetupDialogTest, LogFileBrowseFillsTheNameAndIsLockedWhileConnected) {
    PortSetupValues values;
    values.kind = "FILE";
    values.existingPortNames = {"CON"};
    values.kindFields = {{"FileName", "/var/log/spots.txt"}};
    CPortSetupDialog dialog(values);
    auto* browse = dialog.findChild<QPushButton*>("FileNameBrowse");
    ASSERT_NE(browse, nullptr);
    QString offered;
    dialog.SetFileChooser([&](QWidget*, const QString& current) {
        offered = current;
        return QStringLiteral("/home/op/spots.txt");
    });
    browse->click();
    EXPECT_EQ(offered.toStdString(), "/var/log/spots.txt");
    dialog.accept();
    EXPECT_EQ(*values.Field("FileName"), "/home/op/spots.txt");

    values.mode = PortSetupMode::ConnectedEdit;
    CPortSetupDialog connected(values);
    EXPECT_FALSE(connected.findChild<QPushButton*>("FileNameBrowse")->isEnabled());
}

TEST(PortSetupDialogTest, MqttPasswordMaskedAndPskRepeatOnlyForPskReporter) {
    PortSetupValues values = NewCom();
    values.kind = "MQTT";
    values.dataType = "PSK Reporter";
    CPortSetupDialog dialog(values);
    QLineEdit& password = Get<QLineEdit>(dialog, "MqttPassword");
    EXPECT_EQ(password.echoMode(), QLineEdit::Password);
    password.setText("s3cret");
    emit password.textEdited("s3cret");
    QLineEdit& repeat = Get<QLineEdit>(dialog, "PskRepeat");
    EXPECT_TRUE(repeat.isEnabled());
    EXPECT_EQ(repeat.text().toStdString(), "10");
    repeat.setText("1441");
    emit repeat.textEdited("1441");
    ModalAnswers answers;
    dialog.accept();
    EXPECT_EQ(answers.texts, (std::vector<std::string>{
                                 "Please enter an integer between 0 and 1440. Repeat After must "
                                 "be a whole number of minutes from 0 to 1440."}));
    repeat.setText("5");
    emit repeat.textEdited("5");
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(values.pskRepeat, 5);
    EXPECT_EQ(*values.Field("MqttPassword"), "s3cret");

    Choose(Get<QComboBox>(dialog, "DataType"), "Cluster User");
    EXPECT_FALSE(repeat.isEnabled());
}
