#include "ui/PortInputBar.h"

#include "platform/CommandIds.h"
#include "spots/RouterOptions.h"
#include "support/FakePortHost.h"
#include "ui/HistoryEdit.h"

#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// A port whose lines end in CR LF, as a Direct router frames them.
FakePort& FramedPort(FakePortHost& host) {
    FakePort& port = host.AddPort("TEL");
    port.CreateRouter("Direct", RouterSetup{.options = {.CRLFOption = 3}}, false);
    return port;
}

void Type(CPortInputBar& bar, const char* text) {
    QTest::keyClicks(&bar.InputLine(), text);
    QTest::keyClick(&bar.InputLine(), Qt::Key_Return);
}

} // namespace

TEST(PortInputBarTest, Enter_SendsTheLineOnceAndEmptiesTheInput) {
    FakePortHost host;
    FakePort& port = FramedPort(host);
    CPortInputBar bar;
    bar.SetPort(&port);
    Type(bar, "sh/dx 20");
    EXPECT_EQ(port.written, "sh/dx 20\r\n");
    EXPECT_EQ(bar.InputLine().toPlainText().toStdString(), "");
    QTest::keyClick(&bar.InputLine(), Qt::Key_Up);
    EXPECT_EQ(bar.InputLine().toPlainText().toStdString(), "sh/dx 20");
}

TEST(PortInputBarTest, EmptyEnterAndRepeats_SendButStoreOnce) {
    FakePortHost host;
    FakePort& port = FramedPort(host);
    CPortInputBar bar;
    bar.SetPort(&port);
    Type(bar, "");
    Type(bar, "sh/wwv");
    Type(bar, "sh/wwv");
    EXPECT_EQ(port.written, "\r\nsh/wwv\r\nsh/wwv\r\n");
    EXPECT_EQ(bar.InputLine().History().Entry(0), "sh/wwv");
    EXPECT_EQ(bar.InputLine().History().Entry(1), "");
}

TEST(PortInputBarTest, EnterInTheMiddle_JoinsThePartsAroundTheBreak) {
    FakePortHost host;
    FakePort& port = FramedPort(host);
    CPortInputBar bar;
    bar.SetPort(&port);
    QTest::keyClicks(&bar.InputLine(), "sh/dx");
    QTest::keyClick(&bar.InputLine(), Qt::Key_Left);
    QTest::keyClick(&bar.InputLine(), Qt::Key_Left);
    QTest::keyClick(&bar.InputLine(), Qt::Key_Return);
    EXPECT_EQ(port.written, "sh/dx\r\n");
}

TEST(PortInputBarTest, DisconnectedPort_KeepsTheTypedText) {
    FakePortHost host;
    FakePort& port = FramedPort(host);
    CPortInputBar bar;
    Type(bar, "sh/dx");
    EXPECT_EQ(port.written, "");
    EXPECT_EQ(bar.InputLine().toPlainText().toStdString(), "sh/dx\n");
    bar.SetPort(&port);
    bar.SetPort(nullptr);
    Type(bar, "more");
    EXPECT_EQ(port.written, "");
}

TEST(PortInputBarTest, Buttons_IssueThePortCommandsInOrder) {
    CPortInputBar bar;
    QSignalSpy spy(&bar, &CPortInputBar::CommandRequested);
    for (int id : {PortCommand::Connect, PortCommand::Disconnect, PortCommand::Edit,
                   PortCommand::EditScript, PortCommand::StopScript}) {
        ASSERT_NE(bar.Button(id), nullptr) << id;
        bar.Button(id)->click();
    }
    ASSERT_EQ(spy.count(), 5);
    EXPECT_EQ(spy[0][0].toInt(), PortCommand::Connect);
    EXPECT_EQ(spy[1][0].toInt(), PortCommand::Disconnect);
    EXPECT_EQ(spy[2][0].toInt(), PortCommand::Edit);
    EXPECT_EQ(spy[3][0].toInt(), PortCommand::EditScript);
    EXPECT_EQ(spy[4][0].toInt(), PortCommand::StopScript);
    EXPECT_EQ(bar.Button(PortCommand::Connect)->toolTip().toStdString(), "Connect");
    EXPECT_EQ(bar.Button(PortCommand::StopScript)->statusTip().toStdString(),
              "Stop the connect script.");
}

TEST(PortInputBarTest, ApplyFont_ButtonHeightFollowsTheFont) {
    CPortInputBar bar;
    bar.ApplyFont(QFont(), 20);
    EXPECT_EQ(bar.ButtonHeight(), 26);
    EXPECT_EQ(bar.Button(PortCommand::Connect)->height(), 26);
    EXPECT_EQ(bar.Button(PortCommand::Connect)->width(), 23);
    EXPECT_EQ(bar.height(), 30);
    bar.ApplyFont(QFont(), 13);
    EXPECT_EQ(bar.ButtonHeight(), 22);
    EXPECT_EQ(bar.height(), 26);
}

class PortInputBarFontTest : public ::testing::TestWithParam<int> {};

// A whole line of the console font fits in the input line, which lies inside
// the bar; the buttons keep their h+6 (at least 22) pixels.
TEST_P(PortInputBarFontTest, TypedLineIsNotClipped) {
    const int pixels = GetParam();
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(pixels);
    CPortInputBar bar;
    bar.ApplyFont(font, pixels);
    bar.resize(600, bar.height());
    bar.show();
    const CHistoryEdit& input = bar.InputLine();
    const int margin = static_cast<int>(input.document()->documentMargin());
    EXPECT_GE(input.viewport()->height(), QFontMetrics(font).lineSpacing() + 2 * margin);
    EXPECT_GE(input.geometry().top(), 0);
    EXPECT_LE(input.geometry().bottom(), bar.height() - 1);
    EXPECT_EQ(bar.ButtonHeight(), std::max(pixels + 6, 22));
    EXPECT_GE(bar.height(), bar.ButtonHeight() + 4);
}

INSTANTIATE_TEST_SUITE_P(Pixels, PortInputBarFontTest, ::testing::Values(8, 13, 16, 20, 28, 40));
