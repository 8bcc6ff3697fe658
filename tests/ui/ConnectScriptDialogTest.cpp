#include "ui/ConnectScriptDialog.h"

#include "ModalAnswers.h"

#include <QCheckBox>
#include <QLineEdit>

#include <gtest/gtest.h>

TEST(ConnectScriptDialogTest, Ok_StoresTheRowsAndReconnectSettings) {
    ConnectScriptValues values;
    values.prompts[0] = "login:";
    values.responses[0] = "G4ABC";
    CConnectScriptDialog dialog(values);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Connect Script Setup");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("Prompt1")->text().toStdString(), "login:");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("Seconds")->text().toStdString(), "60");
    dialog.findChild<QLineEdit*>("Prompt7")->setText("Node>");
    dialog.findChild<QLineEdit*>("Response7")->setText("sh/dx");
    dialog.findChild<QCheckBox*>("AutoReconnect")->setChecked(true);
    dialog.findChild<QLineEdit*>("Seconds")->setText("30");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(values.prompts[6], "Node>");
    EXPECT_EQ(values.responses[6], "sh/dx");
    EXPECT_EQ(values.responses[0], "G4ABC");
    EXPECT_TRUE(values.autoReconnect);
    EXPECT_EQ(values.autoTime, 30);
}

TEST(ConnectScriptDialogTest, SecondsOutOfRange_RefusedAndNothingStored) {
    ConnectScriptValues values;
    CConnectScriptDialog dialog(values);
    dialog.show();
    dialog.findChild<QLineEdit*>("Prompt1")->setText("login:");
    dialog.findChild<QLineEdit*>("Seconds")->setText("10000");
    ModalAnswers answers;
    dialog.accept();
    EXPECT_EQ(answers.texts,
              (std::vector<std::string>{"Please enter an integer between 0 and 9999."}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(values.prompts[0], "");
    EXPECT_EQ(values.autoTime, 60);
}
