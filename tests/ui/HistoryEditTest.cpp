#include "ui/HistoryEdit.h"

#include "support/FakePortHost.h"

#include <QTest>

#include <gtest/gtest.h>

TEST(HistoryEditTest, CtrlC_WithPortSendsByteThreeAtOnce) {
    FakePortHost host;
    FakePort& port = host.AddPort("TNC");
    CHistoryEdit edit;
    edit.SetPort(&port);
    QTest::keyClicks(&edit, "abc");
    QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(port.written, std::string("\x03\x1a", 2));
    EXPECT_EQ(edit.toPlainText().toStdString(), "abc");
}

TEST(HistoryEditTest, Backspace_EditsTheLineAndSendsNothing) {
    FakePortHost host;
    FakePort& port = host.AddPort("TNC");
    CHistoryEdit edit;
    edit.SetPort(&port);
    QTest::keyClicks(&edit, "shx");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(port.written, "");
    EXPECT_EQ(edit.toPlainText().toStdString(), "sh");
}

TEST(HistoryEditTest, NoPort_ControlKeysAndArrowsAreOrdinaryEditing) {
    CHistoryEdit edit;
    QTest::keyClicks(&edit, "sh/dx");
    QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.toPlainText().toStdString(), "sh/dx\n");
    EXPECT_EQ(edit.History().Entry(0), "");
}

TEST(HistoryEditTest, Arrows_WithPortShowHistoryEntries) {
    FakePortHost host;
    FakePort& port = host.AddPort("TNC");
    CHistoryEdit edit;
    edit.SetPort(&port);
    QTest::keyClicks(&edit, "first");
    QTest::keyClick(&edit, Qt::Key_Return);
    edit.clear();
    QTest::keyClicks(&edit, "second");
    QTest::keyClick(&edit, Qt::Key_Return);
    edit.clear();
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.toPlainText().toStdString(), "second");
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.toPlainText().toStdString(), "first");
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.toPlainText().toStdString(), "second");
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.toPlainText().toStdString(), "");
    EXPECT_EQ(edit.textCursor().position(), 0);
}
