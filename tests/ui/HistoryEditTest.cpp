#include "ui/HistoryEdit.h"

#include "support/FakePortHost.h"

#include "ModalAnswers.h"

#include <QClipboard>
#include <QTest>

#include <gtest/gtest.h>

// Ctrl+A, C, V, X and Z edit the line; Ctrl+Shift+letter sends the
// control byte, as does Ctrl with a letter that edits nothing.
TEST(HistoryEditTest, CtrlKeys_EditingKeysEditCtrlShiftLetterSendsTheByte) {
    FakePortHost host;
    FakePort& port = host.AddPort("TNC");
    CHistoryEdit edit;
    edit.SetPort(&port);
    QTest::keyClicks(&edit, "abc");
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit.toPlainText().toStdString(), "");
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.toPlainText().toStdString(), "abc");
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.toPlainText().toStdString(), "abcabc");
    EXPECT_EQ(port.written, "");
    QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(&edit, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(port.written, std::string("\x03\x1a\x02", 3));
    EXPECT_EQ(edit.toPlainText().toStdString(), "abcabc");
}

TEST(HistoryEditTest, Paste_OneLineLandsForEditingSeveralAreSentOnlyAfterYes) {
    FakePortHost host;
    FakePort& port = host.AddPort("TNC");
    CHistoryEdit edit;
    edit.SetPort(&port);
    QApplication::clipboard()->setText(QStringLiteral("sh/dx\r\n"));
    edit.paste();
    EXPECT_EQ(edit.toPlainText().toStdString(), "sh/dx");
    EXPECT_EQ(port.written, "");
    edit.clear();
    QApplication::clipboard()->setText(QStringLiteral("set/name Al\nset/qth Bath\n"));
    {
        ModalAnswers answers({QMessageBox::No});
        edit.paste();
        ASSERT_EQ(answers.texts.size(), 1u);
        EXPECT_EQ(answers.texts[0],
                  "Send these 2 pasted lines to TNC, one per line?\n\nset/name Al\nset/qth Bath");
        EXPECT_EQ(answers.defaults, std::vector<QMessageBox::StandardButton>{QMessageBox::No});
    }
    EXPECT_EQ(port.written, "");
    ModalAnswers answers({QMessageBox::Yes});
    edit.paste();
    EXPECT_EQ(port.written, "set/name Alset/qth Bath");
    EXPECT_EQ(edit.toPlainText().toStdString(), "");
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
