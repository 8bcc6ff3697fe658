#include "ui/GuiDocument.h"

#include "GuiRig.h"
#include "ModalAnswers.h"
#include "platform/CommandIds.h"
#include "port/PortHandler.h"
#include "ui/HistoryEdit.h"
#include "ui/PortInputBar.h"
#include "ui/PortSelectorBar.h"
#include "ui/SpotweaverView.h"

#include <QComboBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <QMdiArea>

#include <gtest/gtest.h>

namespace {

using Box = QMessageBox::StandardButton;

std::string MainText(CGuiDocument& document) {
    document.MainWindow().View().Flush();
    return document.MainWindow().View().Text();
}

} // namespace

TEST(GuiDocumentTest, Open_LoadsPortsWithTheirWindowsAndDoesNotConnect) {
    GuiRig rig;
    CGuiDocument& document = rig.OpenTwoPorts();
    EXPECT_TRUE(document.Doc().IsRunning());
    ASSERT_EQ(document.Doc().PortCount(), 2);
    EXPECT_FALSE(document.Doc().Port(0)->IsConnected());
    EXPECT_EQ(MainText(document),
              "CON port loaded\nLOG port loaded\nPorts loaded, use Connect command to start\n");
    ASSERT_EQ(document.WindowCount(), 3);
    EXPECT_EQ(document.MainWindow().windowTitle().toStdString(), "demo.ini:Main ");
    EXPECT_EQ(GuiRig::WindowOf(document, "LOG")->windowTitle().toStdString(), "demo.ini:LOG ");
    EXPECT_EQ(document.PortSelectorItems(), (std::vector<std::string>{"ALL", "CON", "LOG"}));
    EXPECT_EQ(document.PortSelectorText(), "ALL");
    EXPECT_FALSE(document.Doc().IsModified());
}

TEST(GuiDocumentTest, NewDocument_HasOneWindowTitledAfterTheDocument) {
    GuiRig rig;
    CGuiDocument& first = rig.frame->NewDocument();
    // An untouched empty setup is what New gives: it is not stacked twice.
    EXPECT_EQ(&rig.frame->NewDocument(), &first);
    EXPECT_EQ(rig.frame->Documents().size(), 1u);
    first.Doc().SetModified(true);
    CGuiDocument& second = rig.frame->NewDocument();
    EXPECT_EQ(first.MainWindow().windowTitle().toStdString(), "Weaver1");
    EXPECT_EQ(second.MainWindow().windowTitle().toStdString(), "Weaver2");
    EXPECT_TRUE(second.Doc().IsRunning());
    EXPECT_EQ(second.Doc().PortCount(), 0);
    EXPECT_EQ(rig.frame->Documents().size(), 2u);
}

TEST(GuiDocumentTest, ClosePortWindow_NoKeepsPortAndWindowYesRemovesBoth) {
    GuiRig rig;
    CGuiDocument& document = rig.OpenTwoPorts();
    {
        ModalAnswers answers({Box::No});
        GuiRig::WindowOf(document, "LOG")->close();
        GuiRig::Settle();
        EXPECT_EQ(answers.texts,
                  (std::vector<std::string>{
                      "This will remove this port from the setup, continue?\nPort: LOG"}));
        EXPECT_EQ(answers.defaults, std::vector<QMessageBox::StandardButton>{Box::No});
    }
    EXPECT_EQ(document.Doc().PortCount(), 2);
    ASSERT_NE(GuiRig::WindowOf(document, "LOG"), nullptr);
    {
        ModalAnswers answers({Box::Yes});
        GuiRig::WindowOf(document, "LOG")->close();
        GuiRig::Settle();
        EXPECT_EQ(answers.texts.size(), 1u);
    }
    EXPECT_EQ(document.Doc().PortCount(), 1);
    EXPECT_EQ(GuiRig::WindowOf(document, "LOG"), nullptr);
    EXPECT_EQ(document.WindowCount(), 2);
    EXPECT_EQ(document.PortSelectorItems(), (std::vector<std::string>{"ALL", "CON"}));
    EXPECT_NE(MainText(document).find("LOG port removed\n"), std::string::npos);
    EXPECT_TRUE(document.Doc().IsModified());
}

TEST(GuiDocumentTest, CloseMainWindow_WithPortsAsksAndNoKeepsEverything) {
    GuiRig rig;
    CGuiDocument& document = rig.OpenTwoPorts();
    ModalAnswers answers({Box::No});
    document.MainWindow().close();
    GuiRig::Settle();
    EXPECT_EQ(answers.texts, (std::vector<std::string>{"This will close all windows, continue?"}));
    EXPECT_EQ(rig.frame->Documents().size(), 1u);
    EXPECT_EQ(document.WindowCount(), 3);
    EXPECT_TRUE(document.MainWindow().isVisible() || !rig.frame->isVisible());
}

TEST(GuiDocumentTest, CloseMainWindow_YesClosesTheWholeDocument) {
    GuiRig rig;
    rig.OpenTwoPorts();
    ModalAnswers answers({Box::Yes});
    rig.frame->Documents().front()->MainWindow().close();
    GuiRig::Settle();
    EXPECT_EQ(answers.texts, (std::vector<std::string>{"This will close all windows, continue?"}));
    EXPECT_TRUE(rig.frame->Documents().empty());
    EXPECT_TRUE(rig.frame->MdiArea().subWindowList().isEmpty());
    EXPECT_EQ(rig.frame->ActiveDocument(), nullptr);
}

TEST(GuiDocumentTest, CloseMainWindow_EmptySetupClosesWithoutQuestions) {
    GuiRig rig;
    rig.frame->NewDocument().MainWindow().close();
    ModalAnswers answers;
    GuiRig::Settle();
    EXPECT_TRUE(answers.texts.empty());
    EXPECT_TRUE(rig.frame->Documents().empty());
}

TEST(GuiDocumentTest, TempWindow_ClosesWithoutAQuestion) {
    GuiRig rig;
    CGuiDocument& document = rig.frame->NewDocument();
    IPortView* window = document.NewPortWindow();
    window->SetTitleParts("Temp", "");
    ModalAnswers answers;
    static_cast<CChildFrame*>(window)->close();
    GuiRig::Settle();
    EXPECT_TRUE(answers.texts.empty());
    EXPECT_EQ(document.WindowCount(), 1);
    EXPECT_EQ(document.MainWindow().windowTitle().toStdString(), "Weaver1");
}

TEST(GuiDocumentTest, PortSavedMaximised_IsMaximisedAgainAfterLoading) {
    GuiRig rig;
    rig.frame->show();
    CGuiDocument& document = rig.OpenTwoPorts(3);
    CChildFrame* log = GuiRig::WindowOf(document, "LOG");
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->isMaximized());
    EXPECT_EQ(rig.frame->MdiArea().activeSubWindow(), log);
    const WindowPlacement placement = log->GetPlacement();
    EXPECT_EQ(placement.showCmd, 3);
    EXPECT_EQ(placement.rcNormalLeft, 10);
    EXPECT_EQ(placement.rcNormalTop, 20);
    EXPECT_EQ(placement.rcNormalRight, 610);
    EXPECT_EQ(placement.rcNormalBottom, 420);
}

TEST(GuiDocumentTest, Save_WritesBackTheLoadedPlacements) {
    GuiRig rig;
    rig.frame->show();
    CGuiDocument& document = rig.OpenTwoPorts();
    const std::string saved = document.Doc().SaveToString();
    EXPECT_EQ(saved, rig.TwoPorts());
}

TEST(GuiDocumentTest, StatusBarText_ShownWhileTheDocumentIsActive) {
    GuiRig rig;
    CGuiDocument& first = rig.OpenTwoPorts();
    first.SetStatusBarText(" CON=D  LOG=D ");
    EXPECT_EQ(rig.frame->StatusText().toStdString(), " CON=D  LOG=D ");
    CGuiDocument& second = rig.frame->NewDocument();
    EXPECT_EQ(rig.frame->ActiveDocument(), &second);
    first.SetStatusBarText(" CON=C  LOG=D ");
    // The new setup has no ports: the status bar says how to begin.
    EXPECT_EQ(rig.frame->StatusText().toStdString(),
              "Setup \u2192 Add New \u2192 Console Window to begin");
    rig.frame->MdiArea().setActiveSubWindow(&first.MainWindow());
    EXPECT_EQ(rig.frame->StatusText().toStdString(), " CON=C  LOG=D ");
}

TEST(GuiDocumentTest, AddLogFile_DialogsConfirmedAddPortWindowAndSelectorEntry) {
    GuiRig rig;
    CGuiDocument& document = rig.frame->NewDocument();
    EXPECT_EQ(rig.frame->ConsoleBar().Selector().count(), 1);
    EXPECT_EQ(rig.frame->ConsoleBar().CurrentText(), "ALL");
    ModalAnswers answers;
    answers.onDialog = [&](QDialog& dialog) {
        if (dialog.windowTitle() == "Log File Setup") {
            dialog.findChild<QLineEdit*>("FileName")->setText(rig.dir.filePath("spots.txt"));
        }
        dialog.accept();
    };
    rig.frame->Action(CommandId::AddLogFile)->trigger();
    GuiRig::Settle();
    // A log file talks to no peer: no connect script dialog follows.
    EXPECT_EQ(answers.dialogTitles, (std::vector<std::string>{"Log File Setup"}));
    ASSERT_EQ(document.Doc().PortCount(), 1);
    EXPECT_EQ(document.Doc().Port(0)->PortName, "LOG");
    ASSERT_NE(GuiRig::WindowOf(document, "LOG"), nullptr);
    EXPECT_EQ(document.PortSelectorItems(), (std::vector<std::string>{"ALL", "LOG"}));
    EXPECT_EQ(rig.frame->ConsoleBar().CurrentText(), "ALL");
    EXPECT_NE(MainText(document).find("LOG port loaded, use Connect command to start\n"),
              std::string::npos);
    rig.frame->ConsoleBar().ConnectAction().trigger();
    EXPECT_TRUE(document.Doc().Port(0)->IsConnected());
}

TEST(GuiDocumentTest, AddPortCancelled_ClosesTheTempWindow) {
    GuiRig rig;
    CGuiDocument& document = rig.frame->NewDocument();
    ModalAnswers answers;
    rig.frame->Action(CommandId::AddCom)->trigger();
    GuiRig::Settle();
    EXPECT_EQ(answers.dialogTitles, (std::vector<std::string>{"Com Port Setup"}));
    EXPECT_TRUE(answers.texts.empty());
    EXPECT_EQ(document.Doc().PortCount(), 0);
    EXPECT_EQ(document.WindowCount(), 1);
}

TEST(GuiDocumentTest, PortWindowButtons_OpenThatPortsDialogs) {
    GuiRig rig;
    CGuiDocument& document = rig.OpenTwoPorts();
    ModalAnswers answers;
    CPortInputBar& bar = GuiRig::WindowOf(document, "LOG")->InputBar();
    bar.Button(PortCommand::EditScript)->click();
    bar.Button(PortCommand::Edit)->click();
    bar.Button(PortCommand::Connect)->click();
    EXPECT_EQ(answers.dialogTitles, (std::vector<std::string>{"Log File Setup"}));
    EXPECT_EQ(answers.texts, (std::vector<std::string>{
                                 "LOG talks to no peer: it has no connect script to edit."}));
    EXPECT_TRUE(document.Doc().FindPort("LOG")->IsConnected());
    EXPECT_FALSE(document.Doc().FindPort("CON")->IsConnected());
    EXPECT_EQ(GuiRig::WindowOf(document, "LOG")->InputBar().Port(), document.Doc().FindPort("LOG"));
}

TEST(GuiDocumentTest, FontCommand_AppliesTheChosenFontToEveryWindow) {
    GuiRig rig;
    CGuiDocument& document = rig.OpenTwoPorts();
    ModalAnswers answers;
    answers.onDialog = [](QDialog& dialog) {
        auto* fonts = qobject_cast<QFontDialog*>(&dialog);
        QFont font(QStringLiteral("DejaVu Sans Mono"));
        font.setPixelSize(18);
        font.setWeight(QFont::Bold);
        fonts->setCurrentFont(font);
        dialog.accept();
    };
    rig.frame->Action(CommandId::Font)->trigger();
    EXPECT_EQ(answers.dialogTitles.size(), 1u);
    EXPECT_EQ(document.Doc().FontWeight, 700);
    EXPECT_EQ(document.Doc().FontFace, "DejaVu Sans Mono");
    EXPECT_LT(document.Doc().FontSize, 0);
    const int pixels = -document.Doc().FontSize;
    for (CChildFrame* window : document.Windows()) {
        EXPECT_EQ(window->View().font().pixelSize(), pixels);
        EXPECT_EQ(window->InputBar().ButtonHeight(), std::max(pixels + 6, 22));
    }
    EXPECT_TRUE(document.Doc().IsModified());
}

TEST(GuiDocumentTest, LoadedFont_SizesViewsAndInputBars) {
    GuiRig rig;
    CGuiDocument& document = rig.OpenTwoPorts();
    for (CChildFrame* window : document.Windows()) {
        EXPECT_EQ(window->View().font().pixelSize(), 20);
        EXPECT_TRUE(QFontInfo(window->View().font()).fixedPitch());
        EXPECT_EQ(window->InputBar().ButtonHeight(), 26);
    }
}

TEST(GuiDocumentTest, NarrowPortWindow_InputLineGivesWayToTheButtons) {
    GuiRig rig;
    rig.frame->show();
    CChildFrame* window = GuiRig::WindowOf(rig.OpenTwoPorts(), "LOG");
    window->resize(window->minimumSizeHint());
    GuiRig::Settle();
    EXPECT_LE(window->width(), 300);
    const CPortInputBar& bar = window->InputBar();
    const QRect inside = window->widget()->rect();
    for (int id : {PortCommand::Connect, PortCommand::StopScript}) {
        const QRect button(bar.Button(id)->mapTo(window->widget(), QPoint(0, 0)),
                           bar.Button(id)->size());
        EXPECT_TRUE(inside.contains(button)) << id;
        EXPECT_GT(button.left(), bar.InputLine().geometry().right()) << id;
    }
}

struct FontRow {
    const char* name;
    int size;
    const char* face;
};

void PrintTo(const FontRow& row, std::ostream* os) {
    *os << row.name;
}

class FontDialogTest : public ::testing::TestWithParam<FontRow> {};

// OK without a change keeps the stored size and weight; the dialog shows the
// fixed-width font the windows use, in its upright style.
TEST_P(FontDialogTest, OkUnchanged_KeepsTheStoredFont) {
    GuiRig rig;
    const FontRow& row = GetParam();
    std::string text = rig.TwoPorts();
    text.replace(0, text.find("FontWeight"),
                 "NumberOfPorts=2\nFontSize=" + std::to_string(row.size) + "\n");
    text.replace(text.find("FontFace=Courier New"), 20, std::string("FontFace=") + row.face);
    CGuiDocument* document = rig.frame->OpenDocument(rig.Write("font.ini", text));
    GuiRig::Settle();
    ModalAnswers answers;
    QFont shown;
    std::vector<std::string> styles;
    answers.onDialog = [&](QDialog& dialog) {
        shown = qobject_cast<QFontDialog*>(&dialog)->currentFont();
        // The style list as the user sees it.
        for (const QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
            styles.push_back(edit->text().toStdString());
        }
        dialog.accept();
    };
    rig.frame->Action(CommandId::Font)->trigger();
    EXPECT_TRUE(QFontInfo(shown).fixedPitch()) << shown.family().toStdString();
    EXPECT_EQ(shown.italic(), false);
    EXPECT_EQ(shown.styleName().contains("Oblique"), false);
    for (const std::string& style : styles) {
        EXPECT_EQ(style.find("Oblique"), std::string::npos) << style;
        EXPECT_EQ(style.find("Italic"), std::string::npos) << style;
    }
    EXPECT_GE(styles.size(), 3u);
    EXPECT_EQ(document->Doc().FontSize, row.size);
    EXPECT_EQ(document->Doc().FontWeight, 400);
    EXPECT_EQ(document->Doc().FontFace, shown.family().toStdString());
}

INSTANTIATE_TEST_SUITE_P(Faces, FontDialogTest,
                         ::testing::Values(FontRow{"NotInstalled", 20, "Courier New"},
                                           FontRow{"InstalledCharacterHeight", -14,
                                                   "DejaVu Sans Mono"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GuiDocumentTest, ActivatedWindow_TakesTypingInItsInputLine) {
    GuiRig rig;
    rig.frame->show();
    QApplication::setActiveWindow(rig.frame.get());
    CGuiDocument& document = rig.OpenTwoPorts(3);
    CChildFrame* con = GuiRig::WindowOf(document, "CON");
    rig.frame->MdiArea().setActiveSubWindow(con);
    GuiRig::Settle();
    EXPECT_EQ(QApplication::focusWidget(), &con->InputBar().InputLine());
}

TEST(GuiDocumentTest, NewPortWindow_DefaultFontShowsAWhole80ColumnLine) {
    GuiRig rig;
    rig.frame->show();
    CGuiDocument& document = rig.frame->NewDocument();
    ModalAnswers answers;
    answers.onDialog = [](QDialog& dialog) { dialog.accept(); };
    rig.frame->Action(CommandId::AddConsole)->trigger();
    GuiRig::Settle();
    CChildFrame* console = GuiRig::WindowOf(document, "CON");
    ASSERT_NE(console, nullptr);
    const QPlainTextEdit& view = console->View();
    const int line = view.fontMetrics().horizontalAdvance(QString(80, QLatin1Char('W')));
    const int room =
        view.viewport()->width() - 2 * static_cast<int>(view.document()->documentMargin());
    EXPECT_LE(line, room) << "font " << view.font().pixelSize() << " px";
}

// The window made while a port is set up shows no internal name.
TEST(GuiDocumentTest, TempWindow_TitleShowsNoInternalName) {
    GuiRig rig;
    CGuiDocument& document = rig.frame->NewDocument();
    IPortView* window = document.NewPortWindow();
    EXPECT_EQ(static_cast<CChildFrame*>(window)->windowTitle().toStdString(), "Weaver1");
    window->SetTitleParts("LOG", "D");
    EXPECT_EQ(static_cast<CChildFrame*>(window)->windowTitle().toStdString(), "Weaver1:LOG D");
}

// Main shows messages only: no input line, no port buttons that do nothing.
TEST(GuiDocumentTest, MainWindow_HasNoInputBar) {
    GuiRig rig;
    rig.frame->show();
    CGuiDocument& document = rig.OpenTwoPorts();
    EXPECT_FALSE(document.MainWindow().InputBar().isVisible());
    EXPECT_TRUE(GuiRig::WindowOf(document, "CON")->InputBar().isVisible());
}

// A port's state shows in its title and the status bar as soon as the port
// reports it, not at the next five-second refresh.
TEST(GuiDocumentTest, PortState_TitleAndStatusFollowAtOnce) {
    GuiRig rig;
    CGuiDocument& document = rig.OpenTwoPorts();
    CChildFrame* log = GuiRig::WindowOf(document, "LOG");
    log->InputBar().Button(PortCommand::Connect)->click();
    QTRY_COMPARE_WITH_TIMEOUT(log->windowTitle().toStdString(), std::string("demo.ini:LOG C"),
                              1000);
    EXPECT_EQ(rig.frame->StatusText().toStdString(), " CON=D  LOG=C ");
    log->InputBar().Button(PortCommand::Disconnect)->click();
    QTRY_COMPARE_WITH_TIMEOUT(log->windowTitle().toStdString(), std::string("demo.ini:LOG D/MD"),
                              1000);
}

// A new port window steps down the cascade instead of covering Main.
TEST(GuiDocumentTest, NewPortWindow_OpensInTheCascadeNotOverMain) {
    GuiRig rig;
    rig.frame->show();
    CGuiDocument& document = rig.frame->NewDocument();
    auto* first = static_cast<CChildFrame*>(document.NewPortWindow());
    auto* second = static_cast<CChildFrame*>(document.NewPortWindow());
    const QPoint main = document.MainWindow().geometry().topLeft();
    EXPECT_NE(first->geometry().topLeft(), main);
    EXPECT_NE(second->geometry().topLeft(), first->geometry().topLeft());
    EXPECT_GT(second->geometry().top(), first->geometry().top());
}

// Typing into the traffic goes to the input line; the view has no cursor.
TEST(GuiDocumentTest, PortView_PassesTypedKeysToTheInputLine) {
    GuiRig rig;
    rig.frame->show();
    CGuiDocument& document = rig.OpenTwoPorts();
    CChildFrame* con = GuiRig::WindowOf(document, "CON");
    CSpotweaverView& view = con->View();
    EXPECT_FALSE(view.textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard));
    view.setFocus();
    QTest::keyClicks(&view, "sh/dx");
    EXPECT_EQ(con->InputBar().InputLine().toPlainText().toStdString(), "sh/dx");
}
