#include "ui/PortSetupDialog.h"

#include "ModalAnswers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

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
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Com Handler Setup");
    std::vector<std::string> groups;
    for (QGroupBox* box : dialog.findChildren<QGroupBox*>()) {
        groups.push_back(box->title().toStdString());
    }
    EXPECT_EQ(groups, (std::vector<std::string>{"Com Port Setup", "General Port Setup",
                                                "Skimmer merging"}));
    EXPECT_EQ(Get<QComboBox>(dialog, "ComPort").currentText().toStdString(), "COM2");
    EXPECT_EQ(Get<QComboBox>(dialog, "BaudRate").count(), 5);
    EXPECT_EQ(Get<QLineEdit>(dialog, "AntiLoopPx").text().toStdString(), " <");
    EXPECT_TRUE(Get<QLineEdit>(dialog, "AntiLoopPx").isReadOnly() == false);
    EXPECT_TRUE(Get<QLineEdit>(dialog, "Hops").isReadOnly());
    EXPECT_TRUE(Get<QCheckBox>(dialog, "AddConsoleRoutes").isChecked());
    EXPECT_EQ(Get<QComboBox>(dialog, "DataType").itemText(5).toStdString(), "Direct");

    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(values.kindFields.size(), 6u);
    EXPECT_EQ(values.kindFields[0].second, "COM2");
    EXPECT_EQ(values.crlf, 2);
}

TEST(PortSetupDialogTest, ChooseMaster_ShowsDirectLocksListUnlocksSwitch) {
    PortSetupValues values = NewCom();
    CPortSetupDialog dialog(values);
    Choose(Get<QComboBox>(dialog, "IsTNC"), "MASTER");
    EXPECT_EQ(Get<QComboBox>(dialog, "DataType").currentText().toStdString(), "Direct");
    EXPECT_FALSE(Get<QComboBox>(dialog, "DataType").isEnabled());
    EXPECT_EQ(Get<QLineEdit>(dialog, "CRLF").text().toStdString(), "1");
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
    EXPECT_EQ(answers.texts,
              (std::vector<std::string>{"Please enter an integer between 0 and 1000."}));
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
