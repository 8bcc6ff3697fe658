#include "ui/MainFrame.h"

#include "GuiRig.h"
#include "ModalAnswers.h"
#include "port/PortHandler.h"
#include "ui/HelpDialog.h"
#include "ui/HistoryEdit.h"
#include "ui/MenuCommand.h"
#include "ui/PortInputBar.h"
#include "ui/PortSelectorBar.h"
#include "ui/SpotweaverView.h"
#include "ui/WindowFit.h"

#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

struct PromptRow {
    const char* name;
    int id;
    std::string text;
    std::string shortcut;
    std::string statusTip;
    std::string toolTip;
};

class MainFramePromptTest : public ::testing::TestWithParam<PromptRow> {};

std::vector<std::string> VisibleMenus(const CMainFrame& frame) {
    std::vector<std::string> titles;
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->isVisible()) {
            titles.push_back(action->text().toStdString());
        }
    }
    return titles;
}

std::vector<std::string> VisibleItems(QMenu* menu) {
    std::vector<std::string> items;
    for (QAction* action : menu->actions()) {
        if (action->isVisible() && !action->isSeparator()) {
            items.push_back(action->text().toStdString());
        }
    }
    return items;
}

} // namespace

namespace {

// Log-file ports "P1".."Pn" with no stored window places and no layout, as
// a hand-written setup has them; port 1 stored at place when one is given.
std::string UnplacedPorts(int count, const std::string& place = "") {
    using namespace SetupText;
    const std::string stored = Placement(1, 10, 20, 610, 420);
    std::string text = Header(count);
    for (int i = 1; i <= count; ++i) {
        std::string port = Port("FILE", "P" + std::to_string(i));
        port.replace(port.find(stored), stored.size(), i == 1 ? place : "");
        text += port + "FileName=p.log\n" + CtRouter(5, 2);
    }
    for (int i = 1; i <= count; ++i) {
        text += Routes(0, std::vector<int>(static_cast<std::size_t>(count), 0));
    }
    return text;
}

bool Inside(const CMainFrame& frame, const QMdiSubWindow* window) {
    return frame.MdiArea().viewport()->rect().contains(window->geometry());
}

} // namespace

TEST_P(MainFramePromptTest, CommandHasItsTextKeyAndPrompt) {
    GuiRig rig;
    const PromptRow& row = GetParam();
    QAction* action = rig.frame->Action(row.id);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text().toStdString(), row.text);
    EXPECT_EQ(action->shortcut().toString().toStdString(), row.shortcut);
    EXPECT_EQ(action->statusTip().toStdString(), row.statusTip);
    EXPECT_EQ(action->toolTip().toStdString(), row.toolTip);
}

INSTANTIATE_TEST_SUITE_P(
    Menus, MainFramePromptTest,
    ::testing::Values(
        PromptRow{"New", CommandId::FileNew, "&New", "Ctrl+N", "Create a new document", "New"},
        PromptRow{"Open", CommandId::FileOpen, "&Open\u2026", "Ctrl+O", "Open an existing document",
                  "Open"},
        PromptRow{"Close", CommandId::FileClose, "&Close", "Ctrl+W", "Close the active document",
                  "Close"},
        PromptRow{"Save", CommandId::FileSave, "&Save", "Ctrl+S", "Save the active document",
                  "Save"},
        PromptRow{"SaveAs", CommandId::FileSaveAs, "Save &As\u2026", "Ctrl+Shift+S",
                  "Save the active document with a new name", "Save As"},
        PromptRow{"Exit", CommandId::AppExit, "E&xit", "Ctrl+Q",
                  "Quit the application; prompts to save documents", "Exit"},
        PromptRow{"Cut", CommandId::EditCut, "Cu&t", "Shift+Del",
                  "Cut the selection and put it on the Clipboard", "Cut"},
        PromptRow{"Copy", CommandId::EditCopy, "&Copy", "Ctrl+Ins",
                  "Copy the selection and put it on the Clipboard", "Copy"},
        PromptRow{"Paste", CommandId::EditPaste, "&Paste", "Shift+Ins", "Insert Clipboard contents",
                  "Paste"},
        PromptRow{"Font", CommandId::Font, "&Font\u2026", "", "Change Font", "Font"},
        PromptRow{"Toolbar", CommandId::ViewToolbar, "&Toolbar", "", "Show or hide the toolbar",
                  "Toggle ToolBar"},
        PromptRow{"StatusBar", CommandId::ViewStatusBar, "&Status Bar", "",
                  "Show or hide the status bar", "Toggle StatusBar"},
        PromptRow{"Console", CommandId::ViewConsole, "&Port Toolbar", "",
                  "Show or hide the toolbar with the port selector", "Port Toolbar"},
        PromptRow{"AddConsole", CommandId::AddConsole, "&Console Window\u2026", "",
                  "Add console input/output.", "Add console input/output."},
        PromptRow{"AddCom", CommandId::AddCom, "Com &Port\u2026", "",
                  "Add a new COM port handler to the system.",
                  "Add a new COM port handler to the system."},
        PromptRow{"AddTelnet", CommandId::AddTelnet, "&Network - Connect (telnet client)\u2026", "",
                  "Add a new Telnet port to the system.", "Add a new Telnet port to the system."},
        PromptRow{"AddBroadcast", CommandId::AddBroadcast, "Network - &Broadcast\u2026", "",
                  "Add a new CT Ethernet to the system.", "Add a new CT Ethernet to the system."},
        PromptRow{"AddRx", CommandId::AddRxTelnet, "R&X Network Connect (telnet server)\u2026", "",
                  "Add a Telnet port that accepts outside connections.",
                  "Add a Telnet port that accepts outside connections."},
        PromptRow{"AddLog", CommandId::AddLogFile, "&Log File\u2026", "", "Add log file",
                  "Add log file"},
        PromptRow{"Routes", CommandId::Routes, "&Routes\u2026", "", "", "Routes\u2026"},
        PromptRow{"Connect", CommandId::Connect, "&Connect!", "", "Connect selected port(s).",
                  "Connect"},
        PromptRow{"Disconnect", CommandId::Disconnect, "&Disconnect!", "",
                  "Disconnect selected port(s).", "Disconnect"},
        PromptRow{"Remove", CommandId::Remove, "R&emove!", "", "Remove the selected connection.",
                  "Remove"},
        PromptRow{"EditScript", CommandId::EditScript, "Edit &Script\u2026", "",
                  "Edit the connect script", "Edit Script"},
        PromptRow{"EditPort", CommandId::EditPort, "Edit &Port\u2026", "", "Edit Port setup.",
                  "Edit Port"},
        PromptRow{"StopScript", CommandId::StopScript, "S&top Script!", "",
                  "Stop the connect script!", "Stop Script!"},
        PromptRow{"HelpTopics", CommandId::HelpFinder, "&Help Topics", "F1", "List Help topics",
                  "Help Topics"},
        PromptRow{"About", CommandId::About, "&About spotweaver\u2026", "",
                  "Display program information, version number and copyright", "About"},
        PromptRow{"Undo", CommandId::EditUndo, "&Undo", "Alt+Backspace", "Undo the last action",
                  "Undo"},
        PromptRow{"Help", CommandId::Help, "Help", "", "Display help for current task or command",
                  "Help"},
        PromptRow{"NextPane", CommandId::NextPane, "Next Pane", "F6",
                  "Switch to the next window pane", "Next Pane"}),
    [](const ::testing::TestParamInfo<PromptRow>& info) { return std::string(info.param.name); });

TEST(MainFrameTest, NoDocument_OnlyFileViewAndHelpMenus) {
    GuiRig rig;
    EXPECT_EQ(rig.frame->windowTitle().toStdString(), "Spotweaver");
    EXPECT_EQ(VisibleMenus(*rig.frame), (std::vector<std::string>{"&File", "&View", "&Help"}));
    std::vector<std::string> file = VisibleItems(rig.frame->Menu("&File"));
    ASSERT_EQ(file.size(), 4u);
    EXPECT_EQ(file[0], "&New");
    EXPECT_EQ(file[1], "&Open\u2026");
    EXPECT_EQ(file[3], "E&xit");
    EXPECT_FALSE(rig.frame->ConsoleBar().ConnectAction().isEnabled());
}

TEST(MainFrameTest, DocumentOpen_AddsEditSetupWindowMenusAndFileItems) {
    GuiRig rig;
    rig.frame->NewDocument();
    EXPECT_EQ(rig.frame->windowTitle().toStdString(), "Spotweaver - Weaver1");
    EXPECT_EQ(VisibleMenus(*rig.frame),
              (std::vector<std::string>{"&File", "&Edit", "&View", "&Setup", "&Window", "&Help"}));
    std::vector<std::string> file = VisibleItems(rig.frame->Menu("&File"));
    ASSERT_EQ(file.size(), 7u);
    EXPECT_EQ(file[2], "&Close");
    EXPECT_EQ(file[3], "&Save");
    EXPECT_EQ(file[4], "Save &As\u2026");
    EXPECT_EQ(VisibleItems(rig.frame->Menu("&Edit")),
              (std::vector<std::string>{"Cu&t", "&Copy", "&Paste", "&Font\u2026"}));
    EXPECT_EQ(VisibleItems(rig.frame->Menu("&Setup")),
              (std::vector<std::string>{"&Add New", "&Routes\u2026", "&Connect!", "&Disconnect!",
                                        "R&emove!", "Edit &Script\u2026", "Edit &Port\u2026",
                                        "S&top Script!"}));
    std::vector<std::string> window = VisibleItems(rig.frame->Menu("&Window"));
    ASSERT_GE(window.size(), 3u);
    EXPECT_EQ(window[0], "&Cascade");
    EXPECT_EQ(window[1], "&Tile");
    EXPECT_EQ(window[2], "&Arrange Icons");
    EXPECT_EQ(VisibleItems(rig.frame->Menu("&View")),
              (std::vector<std::string>{"&Toolbar", "&Status Bar", "&Port Toolbar", "Time&stamps",
                                        "Local &Echo"}));
}

TEST(MainFrameTest, Toolbars_StandardButtonsAndConsoleSelector) {
    GuiRig rig;
    std::vector<std::string> buttons;
    for (QAction* action : rig.frame->StandardToolBar().actions()) {
        buttons.push_back(action->isSeparator() ? "|" : action->toolTip().toStdString());
    }
    EXPECT_EQ(buttons, (std::vector<std::string>{"New", "Open", "Save", "|", "Cut", "Copy", "Paste",
                                                 "|", "About"}));
    CPortSelectorBar& console = rig.frame->ConsoleBar();
    EXPECT_EQ(console.Selector().count(), 1);
    EXPECT_EQ(console.CurrentText(), "ALL");
    EXPECT_EQ(console.ConnectAction().data().toInt(), CommandId::Connect);
    EXPECT_EQ(console.DisconnectAction().data().toInt(), CommandId::Disconnect);
    EXPECT_EQ(console.ConnectAction().toolTip().toStdString(), "Connect");
}

namespace {

// Pixels of a 16-pixel icon where one colour channel clearly leads.
int Pixels(const QIcon& icon, int channel) {
    const QImage image = icon.pixmap(16).toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int v[] = {c.red(), c.green(), c.blue()};
            const int other = std::max(v[(channel + 1) % 3], v[(channel + 2) % 3]);
            count += c.alpha() > 128 && v[channel] > other + 60 ? 1 : 0;
        }
    }
    return count;
}

} // namespace

// Connect is green and Disconnect red, in any icon theme; Stop Script is no
// red cross; the selector says what it is for.
TEST(MainFrameTest, PortToolbar_ColouredConnectIconsAndASelectorTip) {
    GuiRig rig;
    CGuiDocument& document = rig.frame->NewDocument();
    CPortSelectorBar& bar = rig.frame->ConsoleBar();
    EXPECT_TRUE(bar.ConnectAction().isEnabled());
    EXPECT_GT(Pixels(bar.ConnectAction().icon(), 1), 20);
    EXPECT_GT(Pixels(bar.DisconnectAction().icon(), 0), 20);
    const QToolButton* stop = document.MainWindow().InputBar().Button(PortCommand::StopScript);
    EXPECT_EQ(Pixels(stop->icon(), 0), 0);
    EXPECT_FALSE(bar.Selector().toolTip().isEmpty());
    EXPECT_EQ(bar.windowTitle().toStdString(), "Port Toolbar");
}

TEST(MainFrameTest, StatusBar_OnlyTheMessagePaneWithoutLeftovers) {
    GuiRig rig;
    EXPECT_EQ(rig.frame->StatusText().toStdString(), "");
    const QList<QLabel*> panes = rig.frame->statusBar()->findChildren<QLabel*>();
    ASSERT_EQ(panes.size(), 1);
    EXPECT_EQ(panes.front()->objectName().toStdString(), "MessagePane");
}

TEST(MainFrameTest, PortSelector_ChoosingAPortMakesConnectActOnItOnly) {
    GuiRig rig;
    CGuiDocument& document = rig.OpenTwoPorts();
    QComboBox& selector = rig.frame->ConsoleBar().Selector();
    ASSERT_EQ(selector.count(), 3);
    EXPECT_EQ(selector.itemText(1).toStdString(), "CON");
    selector.setCurrentIndex(1);
    EXPECT_EQ(document.PortSelectorText(), "CON");
    rig.frame->ConsoleBar().ConnectAction().trigger();
    EXPECT_TRUE(document.Doc().FindPort("CON")->IsConnected());
    EXPECT_FALSE(document.Doc().FindPort("LOG")->IsConnected());
}

TEST(MainFrameTest, ConsoleToolbarSavedHidden_OpensHiddenAndViewConsoleShowsIt) {
    GuiRig rig;
    rig.OpenTwoPorts(1, 0);
    QAction* console = rig.frame->Action(CommandId::ViewConsole);
    EXPECT_FALSE(rig.frame->ConsoleBar().isVisibleTo(rig.frame.get()));
    EXPECT_FALSE(console->isChecked());
    console->trigger();
    EXPECT_TRUE(rig.frame->ConsoleBar().isVisibleTo(rig.frame.get()));
    EXPECT_TRUE(console->isChecked());
    EXPECT_EQ(rig.frame->Layout().consoleBarShown, 268435456);
    console->trigger();
    EXPECT_EQ(rig.frame->Layout().consoleBarShown, 0);
}

TEST(MainFrameTest, ViewToolbarAndStatusBar_ToggleTheBars) {
    GuiRig rig;
    rig.frame->Action(CommandId::ViewToolbar)->trigger();
    rig.frame->Action(CommandId::ViewStatusBar)->trigger();
    EXPECT_FALSE(rig.frame->StandardToolBar().isVisibleTo(rig.frame.get()));
    EXPECT_FALSE(rig.frame->statusBar()->isVisibleTo(rig.frame.get()));
    EXPECT_FALSE(rig.frame->Action(CommandId::ViewToolbar)->isChecked());
    MainFrameLayout layout = rig.frame->Layout();
    EXPECT_EQ(layout.toolBarShown, 0);
    EXPECT_EQ(layout.statusBarShown, 0);
    EXPECT_EQ(layout.consoleBarShown, 268435456);
}

TEST(MainFrameTest, About_ShowsTheVersion) {
    GuiRig rig;
    ModalAnswers answers;
    std::string version;
    answers.onDialog = [&](QDialog& dialog) {
        version = dialog.findChild<QLabel*>("VersionText")->text().toStdString();
    };
    rig.frame->Action(CommandId::About)->trigger();
    EXPECT_EQ(answers.dialogTitles, (std::vector<std::string>{"About spotweaver"}));
    EXPECT_EQ(version, "Spotweaver Version 4.22");
}

// A window beside the program, with contents from the guide's headings,
// search, links to headings, and pictures no wider than the text.
TEST(MainFrameTest, HelpTopics_NonModalGuideWithContentsSearchAndFittedPictures) {
    GuiRig rig;
    rig.frame->show();
    rig.frame->Action(CommandId::HelpFinder)->trigger();
    auto* help = qobject_cast<CHelpDialog*>(rig.frame->HelpWindow());
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    rig.frame->Action(CommandId::HelpFinder)->trigger();
    EXPECT_EQ(rig.frame->HelpWindow(), help);

    const std::string text = help->Browser().toPlainText().toStdString();
    EXPECT_EQ(text.rfind("Spotweaver user's guide", 0), 0u);
    QTreeWidget& contents = help->Contents();
    ASSERT_EQ(contents.topLevelItemCount(), 1);
    QTreeWidgetItem* top = contents.topLevelItem(0);
    EXPECT_EQ(top->text(0).toStdString(), "Spotweaver user's guide");
    EXPECT_EQ(top->child(2)->text(0).toStdString(), "Adding ports");
    EXPECT_GT(top->childCount(), 10);

    EXPECT_EQ(CHelpDialog::AnchorOf("The WSJT-X port").toStdString(), "the-wsjt-x-port");
    EXPECT_TRUE(help->ShowAnchor("filters"));
    EXPECT_EQ(help->Browser().textCursor().block().text().toStdString(), "Filters");
    EXPECT_FALSE(help->ShowAnchor("no-such-heading"));
    EXPECT_TRUE(help->FindNext("Add Console Routes"));
    EXPECT_EQ(help->Browser().textCursor().selectedText().toStdString(), "Add Console Routes");
    EXPECT_FALSE(help->FindNext("no such words anywhere"));

    help->resize(500, 400);
    GuiRig::Settle();
    const int room = help->Browser().viewport()->width();
    int pictures = 0;
    for (QTextBlock b = help->Browser().document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().isImageFormat()) {
                ++pictures;
                EXPECT_LE(it.fragment().charFormat().toImageFormat().width(), room);
                EXPECT_GT(it.fragment().charFormat().toImageFormat().width(), 0);
            }
        }
    }
    EXPECT_GE(pictures, 3);
}

TEST(MainFrameTest, DroppedFile_IsOpened) {
    GuiRig rig;
    const QString path = rig.Write("dropped.ini", rig.TwoPorts());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    rig.frame->show();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(rig.frame.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(rig.frame.get(), &drop);
    GuiRig::Settle();
    ASSERT_EQ(rig.frame->Documents().size(), 1u);
    EXPECT_EQ(rig.frame->Documents().front()->Title().toStdString(), "dropped.ini");
    EXPECT_EQ(rig.frame->Documents().front()->Doc().PortCount(), 2);
}

TEST(MainFrameTest, OpenSameFileTwice_ActivatesTheOpenDocument) {
    GuiRig rig;
    CGuiDocument& document = rig.OpenTwoPorts();
    rig.frame->NewDocument();
    EXPECT_EQ(rig.frame->OpenDocument(document.Path()), &document);
    EXPECT_EQ(rig.frame->Documents().size(), 2u);
}

TEST(MainFrameTest, OpenMissingFile_SaysWhyAndOpensNothing) {
    GuiRig rig;
    ModalAnswers answers;
    EXPECT_EQ(rig.frame->OpenDocument(rig.dir.filePath("missing.ini")), nullptr);
    GuiRig::Settle();
    ASSERT_EQ(answers.texts.size(), 1u);
    EXPECT_EQ(answers.texts[0].rfind("Failed to open document.\n", 0), 0u);
    EXPECT_TRUE(rig.frame->Documents().empty());
}

TEST(MainFrameTest, Save_WritesTheFileAndRemembersItFirstInRecentFiles) {
    GuiRig rig;
    CGuiDocument& document = rig.OpenTwoPorts();
    ModalAnswers answers({QMessageBox::Yes});
    rig.frame->MdiArea().setActiveSubWindow(&document.MainWindow());
    GuiRig::WindowOf(document, "LOG")->close();
    GuiRig::Settle();
    ASSERT_TRUE(document.Doc().IsModified());
    rig.frame->Action(CommandId::FileSave)->trigger();
    EXPECT_FALSE(document.Doc().IsModified());
    QFile file(document.Path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().left(15).toStdString(), "NumberOfPorts=1");
    QMenu* menu = rig.frame->Menu("&File");
    bool listed = false;
    for (QAction* action : menu->actions()) {
        listed = listed || action->text().endsWith("demo.ini");
    }
    EXPECT_TRUE(listed);
}

TEST(WindowFitTest, TileGrid_AsFewColumnsAsKeepTheMinimumHeight) {
    EXPECT_EQ(WindowFit::TileGrid(3, QSize(1000, 600), 150), QSize(1, 3));
    EXPECT_EQ(WindowFit::TileGrid(3, QSize(1000, 600), 250), QSize(2, 2));
    EXPECT_EQ(WindowFit::TileGrid(7, QSize(1000, 600), 200), QSize(3, 3));
    EXPECT_EQ(WindowFit::TileGrid(2, QSize(1000, 100), 200), QSize(2, 1));
}

// Every tile keeps five text lines and shows its newest one; the windows of
// another open setup stay where they were.
TEST(MainFrameTest, WindowTile_GridKeepsFiveLinesPerWindowActiveSetupOnly) {
    GuiRig rig;
    rig.frame->resize(800, 500);
    rig.frame->show();
    CGuiDocument* other = rig.frame->OpenDocument(rig.Write("other.ini", UnplacedPorts(1)));
    GuiRig::Settle();
    const QRect otherPlace = other->MainWindow().geometry();
    CGuiDocument* document = rig.frame->OpenDocument(rig.Write("bare.ini", UnplacedPorts(5)));
    GuiRig::Settle();
    CChildFrame* p5 = GuiRig::WindowOf(*document, "P5");
    for (int i = 0; i < 100; ++i) {
        p5->AppendText("line " + std::to_string(i) + "\n");
    }
    rig.frame->Action(CommandId::WindowTile)->trigger();
    GuiRig::Settle();
    const QRect area = rig.frame->MdiArea().viewport()->rect();
    for (CChildFrame* window : document->Windows()) {
        const CSpotweaverView& view = window->View();
        EXPECT_GE(view.viewport()->height(), 5 * view.fontMetrics().lineSpacing())
            << window->windowTitle().toStdString();
        EXPECT_TRUE(area.contains(window->geometry())) << window->windowTitle().toStdString();
        for (CChildFrame* next : document->Windows()) {
            EXPECT_TRUE(next == window || !next->geometry().intersects(window->geometry()));
        }
    }
    const QScrollBar* scroll = p5->View().verticalScrollBar();
    EXPECT_GT(scroll->maximum(), 0);
    EXPECT_EQ(scroll->value(), scroll->maximum());
    EXPECT_EQ(other->MainWindow().geometry(), otherPlace);
}

// Minimised windows sit along the bottom, in front of the others, and the
// Window menu brings one back.
TEST(MainFrameTest, MinimisedWindows_IconsAlongTheBottomWindowMenuRestores) {
    GuiRig rig;
    rig.frame->show();
    CGuiDocument* document = rig.frame->OpenDocument(rig.Write("bare.ini", UnplacedPorts(3)));
    GuiRig::Settle();
    CChildFrame* p1 = GuiRig::WindowOf(*document, "P1");
    CChildFrame* p2 = GuiRig::WindowOf(*document, "P2");
    p1->showMinimized();
    p2->showMinimized();
    GuiRig::Settle();
    const int bottom = rig.frame->MdiArea().viewport()->height();
    EXPECT_EQ(p1->geometry().bottom() + 1, bottom);
    EXPECT_EQ(p2->geometry().bottom() + 1, bottom);
    EXPECT_FALSE(p1->geometry().intersects(p2->geometry()));
    rig.frame->MdiArea().setActiveSubWindow(GuiRig::WindowOf(*document, "P3"));
    GuiRig::Settle();
    const QList<QMdiSubWindow*> stack = rig.frame->MdiArea().subWindowList(QMdiArea::StackingOrder);
    EXPECT_GT(stack.indexOf(p1), stack.indexOf(GuiRig::WindowOf(*document, "P3")));

    QMenu* menu = rig.frame->Menu("&Window");
    emit menu->aboutToShow();
    for (QAction* action : menu->actions()) {
        if (action->text().endsWith(p1->windowTitle())) {
            action->trigger();
        }
    }
    EXPECT_FALSE(p1->isMinimized());
    EXPECT_EQ(rig.frame->MdiArea().activeSubWindow(), p1);
}

TEST(MainFrameTest, Title_CarriesAStarWhileTheSetupIsModified) {
    GuiRig rig;
    CGuiDocument& document = rig.OpenTwoPorts();
    EXPECT_EQ(rig.frame->windowTitle().toStdString(), "Spotweaver - demo.ini");
    document.Doc().SetModified(true);
    rig.frame->ExecuteCommand(CommandId::ViewToolbar);
    EXPECT_EQ(rig.frame->windowTitle().toStdString(), "Spotweaver - demo.ini*");
    rig.frame->ExecuteCommand(CommandId::FileSave);
    EXPECT_EQ(rig.frame->windowTitle().toStdString(), "Spotweaver - demo.ini");
}

TEST(MainFrameTest, EndSession_DisconnectsEveryPortWritesNothingAndSaysSo) {
    GuiRig rig;
    CGuiDocument& document = rig.OpenTwoPorts();
    document.Doc().FindPort("LOG")->Connect();
    ASSERT_TRUE(document.Doc().FindPort("LOG")->IsConnected());
    document.Doc().SetModified(true);
    ModalAnswers answers;
    ::testing::internal::CaptureStderr();
    rig.frame->EndSession();
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(document.Doc().FindPort("LOG")->IsConnected());
    EXPECT_EQ(errors, "spotweaver: the unsaved changes to " + document.Path().toStdString() +
                          " were not written\n");
    QFile file(document.Path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), rig.TwoPorts());
    EXPECT_TRUE(answers.texts.empty());
}

TEST(MainFrameTest, TileAndRestore_PortViewsShowTheirLatestLine) {
    GuiRig rig;
    rig.frame->show();
    CGuiDocument& document = rig.OpenTwoPorts();
    CChildFrame* log = GuiRig::WindowOf(document, "LOG");
    for (int i = 0; i < 200; ++i) {
        log->AppendText("DX de K1ABC:     14025.0  VP8LP        line " + std::to_string(i) + "\n");
    }
    log->View().Flush();
    const QScrollBar* scroll = log->View().verticalScrollBar();
    auto showsLatest = [&] {
        GuiRig::Settle();
        return scroll->maximum() > 0 && scroll->value() == scroll->maximum();
    };
    log->showMaximized();
    EXPECT_TRUE(showsLatest()) << "maximised";
    log->showNormal();
    EXPECT_TRUE(showsLatest()) << "restored";
    rig.frame->Action(CommandId::WindowTile)->trigger();
    EXPECT_TRUE(showsLatest()) << "tiled";
    log->resize(log->width(), log->height() / 2);
    EXPECT_TRUE(showsLatest()) << "made smaller";
}

TEST(MainFrameTest, WindowsWithoutStoredPlaces_OpenInsideTheWorkspaceCascaded) {
    GuiRig rig;
    rig.frame->show();
    ModalAnswers answers;
    CGuiDocument* document = rig.frame->OpenDocument(rig.Write("bare.ini", UnplacedPorts(6)));
    GuiRig::Settle();
    EXPECT_EQ(answers.texts, std::vector<std::string>{});
    std::vector<int> tops;
    for (QMdiSubWindow* window : rig.frame->MdiArea().subWindowList(QMdiArea::CreationOrder)) {
        EXPECT_TRUE(Inside(*rig.frame, window)) << window->windowTitle().toStdString();
        tops.push_back(window->geometry().top());
    }
    ASSERT_EQ(tops.size(), 7u);
    EXPECT_LT(tops[0], tops[1]);
    EXPECT_LT(tops[1], tops[2]);
    answers.onDialog = [&](QDialog& dialog) {
        if (auto* name = dialog.findChild<QLineEdit*>("FileName")) {
            name->setText(rig.dir.filePath("added.txt"));
        }
        dialog.accept();
    };
    rig.frame->Action(CommandId::AddLogFile)->trigger();
    GuiRig::Settle();
    EXPECT_TRUE(Inside(*rig.frame, &document->MainWindow()));
    EXPECT_TRUE(Inside(*rig.frame, GuiRig::WindowOf(*document, "LOG")));
}

TEST(MainFrameTest, PlaceStoredOnALargerScreen_IsMovedIntoTheWorkspace) {
    GuiRig rig;
    rig.frame->show();
    CGuiDocument* document = rig.frame->OpenDocument(
        rig.Write("large.ini", UnplacedPorts(2, SetupText::Placement(1, 1500, 900, 2100, 1300))));
    GuiRig::Settle();
    EXPECT_TRUE(Inside(*rig.frame, GuiRig::WindowOf(*document, "P1")));
}

TEST(MainFrameTest, Cascade_LeavesEveryTitleBarInViewActiveInFront) {
    GuiRig rig;
    rig.frame->show();
    CGuiDocument* document = rig.frame->OpenDocument(rig.Write("bare.ini", UnplacedPorts(3)));
    GuiRig::Settle();
    CChildFrame* active = GuiRig::WindowOf(*document, "P1");
    rig.frame->MdiArea().setActiveSubWindow(active);
    rig.frame->Action(CommandId::WindowCascade)->trigger();
    GuiRig::Settle();
    const QList<QMdiSubWindow*> stack = rig.frame->MdiArea().subWindowList(QMdiArea::StackingOrder);
    ASSERT_EQ(stack.size(), 4);
    EXPECT_EQ(stack.back(), active);
    for (int i = 1; i < stack.size(); ++i) {
        // The title bar of the window behind is above the top of the next.
        const int title = stack[i - 1]->widget()->mapTo(stack[i - 1], QPoint(0, 0)).y();
        EXPECT_GE(stack[i]->geometry().top(), stack[i - 1]->geometry().top() + title) << i;
        EXPECT_TRUE(Inside(*rig.frame, stack[i]));
    }
}

// A title bar shows its title in a bold font beside an icon and buttons.
TEST(MainFrameTest, BoxesAreWideEnoughForTheirTitles) {
    GuiRig rig;
    CGuiDocument& document = rig.frame->NewDocument();
    QFont bold = rig.frame->font();
    bold.setBold(true);
    const QFontMetrics title(bold);
    ModalAnswers answers;
    int aboutWidth = 0;
    answers.onDialog = [&](QDialog& dialog) { aboutWidth = dialog.width(); };
    document.MessageBox("Too Many Ports");
    rig.frame->Action(CommandId::About)->trigger();
    ASSERT_EQ(answers.boxWidths.size(), 1u);
    EXPECT_GE(answers.boxWidths[0], title.horizontalAdvance("Spotweaver") + 100);
    EXPECT_GE(aboutWidth, title.horizontalAdvance("About spotweaver") + 100);
}

// Pictures, not letters: Save and the port windows' Edit Script differ, and
// the Save button stays on the bar, greyed, while no setup is open.
TEST(MainFrameTest, ToolbarIcons_DistinctPicturesSaveGreyedWithoutDocument) {
    GuiRig rig;
    QAction* save = nullptr;
    for (QAction* action : rig.frame->StandardToolBar().actions()) {
        EXPECT_TRUE(action->isSeparator() || !action->icon().isNull());
        save = action->data().toInt() == CommandId::FileSave ? action : save;
    }
    ASSERT_NE(save, nullptr);
    EXPECT_TRUE(save->isVisible());
    EXPECT_FALSE(save->isEnabled());
    CGuiDocument& document = rig.frame->NewDocument();
    EXPECT_TRUE(save->isEnabled());
    const QToolButton* script = document.MainWindow().InputBar().Button(PortCommand::EditScript);
    EXPECT_NE(save->icon().pixmap(16).toImage(), script->icon().pixmap(16).toImage());
    EXPECT_EQ(script->toolTip().toStdString(), "Edit Script");
}

// Timestamps and local echo are View settings kept with the bars: stored
// only when on, read back, and acted on in every window.
TEST(MainFrameTest, ViewTimestampsAndLocalEcho_StoredWhenOnAndShownInWindows) {
    GuiRig rig;
    const std::string text = rig.TwoPorts() + "ViewTimestamps=1\nViewLocalEcho=1\n";
    CGuiDocument* document = rig.frame->OpenDocument(rig.Write("view.ini", text));
    GuiRig::Settle();
    ASSERT_NE(document, nullptr);
    EXPECT_TRUE(rig.frame->Action(CommandId::ViewTimestamps)->isChecked());
    EXPECT_TRUE(rig.frame->Action(CommandId::ViewLocalEcho)->isChecked());
    EXPECT_EQ(document->Doc().SaveToString(), text);

    CChildFrame* con = GuiRig::WindowOf(*document, "CON");
    con->InputBar().Button(PortCommand::Connect)->click();
    con->View().ClearText();
    con->AppendText("DX de K1ABC:\r\nsecond\n");
    QTest::keyClicks(&con->InputBar().InputLine(), "sh/dx");
    QTest::keyClick(&con->InputBar().InputLine(), Qt::Key_Return);
    const QRegularExpression stamped(
        QStringLiteral("^\\d\\d:\\d\\d:\\d\\d DX de K1ABC:\n\\d\\d:\\d\\d:\\d\\d second\n"
                       "\\d\\d:\\d\\d:\\d\\d sh/dx\n"));
    EXPECT_TRUE(stamped.match(QString::fromStdString(con->View().Text())).hasMatch())
        << con->View().Text();

    rig.frame->Action(CommandId::ViewTimestamps)->trigger();
    rig.frame->Action(CommandId::ViewLocalEcho)->trigger();
    EXPECT_EQ(document->Doc().SaveToString(), rig.TwoPorts());
}
