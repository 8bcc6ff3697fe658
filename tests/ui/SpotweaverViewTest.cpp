#include "ui/SpotweaverView.h"

#include <QTest>

#include <gtest/gtest.h>

#include <string>

TEST(SpotweaverViewTest, Print_FoldsLineBreaksIntoTheShownText) {
    CSpotweaverView view;
    view.PrintText("a\n\nb\r\nc\n\rd\n");
    view.Flush();
    EXPECT_EQ(view.toPlainText().toStdString(), "a\nb\nc\nd\n");
    EXPECT_TRUE(view.isReadOnly());
}

TEST(SpotweaverViewTest, Print_ShowsAfterTheRepaintDelayNotAtOnce) {
    CSpotweaverView view;
    view.PrintText("COM port loaded\n");
    view.PrintText("Ports loaded, use Connect command to start\n");
    EXPECT_EQ(view.toPlainText().toStdString(), "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view.toPlainText().isEmpty(); }, 2000));
    EXPECT_EQ(view.toPlainText().toStdString(),
              "COM port loaded\nPorts loaded, use Connect command to start\n");
}

TEST(SpotweaverViewTest, Trim_ShownTextDropsTheFirst2000CharactersPast8000) {
    CSpotweaverView view;
    std::string head(2000, 'h');
    std::string rest(6001, 'r');
    view.PrintText(head);
    view.Flush();
    view.PrintText(rest);
    view.Flush();
    view.PrintText("X");
    view.Flush();
    const QString shown = view.toPlainText();
    EXPECT_EQ(shown.size(), 6002);
    EXPECT_EQ(shown.toStdString(), rest + "X");
    EXPECT_EQ(view.Text(), rest + "X");
}

TEST(SpotweaverViewTest, Trim_ManyLinesBetweenRepaintsShowWhatTheRuleKeeps) {
    CSpotweaverView view;
    view.PrintText("start\n");
    view.Flush();
    for (int i = 0; i < 400; ++i) {
        view.PrintText("DX de G4ABC:     14025.0  K1XYZ        cw          1200Z\r\n");
    }
    view.Flush();
    EXPECT_EQ(view.toPlainText().toStdString(), view.Text());
    EXPECT_LE(view.Text().size(), 8000u + 254u);
    EXPECT_EQ(view.textCursor().position(), view.document()->characterCount() - 1);
}

TEST(SpotweaverViewTest, ClearText_EmptiesTheView) {
    CSpotweaverView view;
    view.PrintText("text");
    view.Flush();
    view.ClearText();
    EXPECT_EQ(view.toPlainText().toStdString(), "");
    EXPECT_EQ(view.Text(), "");
}
