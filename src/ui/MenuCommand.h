#pragma once

#include <string>
#include <vector>

// A command of the main frame's menus and toolbars: its id, the menu text
// with its mnemonic, the key it is bound to, and its prompt. The first line of
// the prompt goes to the status bar while the item is pointed at, the second
// (where there is one) is the tool tip.
struct MenuCommand {
    int id = 0;
    std::string text;
    std::string shortcut; // as QKeySequence reads it, or empty
    std::string prompt;

    std::string StatusTip() const;
    std::string ToolTip() const;

    // Every command of the menus, the toolbars and the port windows.
    static const std::vector<MenuCommand>& All();
    // The command of an id; an empty command for an unknown id.
    static const MenuCommand& Of(int id);
};

// Command ids of the main frame.
namespace CommandId {
constexpr int FileNew = 57600;
constexpr int FileOpen = 57601;
constexpr int FileClose = 57602;
constexpr int FileSave = 57603;
constexpr int FileSaveAs = 57604;
constexpr int FileMru = 57616;
constexpr int AppExit = 57665;
constexpr int EditUndo = 57643;
constexpr int EditCut = 57635;
constexpr int EditCopy = 57634;
constexpr int EditPaste = 57637;
constexpr int Font = 32799;
constexpr int ViewToolbar = 59392;
constexpr int ViewStatusBar = 59393;
constexpr int ViewConsole = 32774;
constexpr int AddConsole = 32773;
constexpr int AddCom = 32772;
constexpr int AddTelnet = 32775;
constexpr int AddBroadcast = 32776;
constexpr int AddRxTelnet = 32783;
constexpr int AddLogFile = 32790;
constexpr int Routes = 32777;
constexpr int Connect = 32779;
constexpr int Disconnect = 32780;
constexpr int Remove = 3;
constexpr int EditScript = 32787;
constexpr int EditPort = 32788;
constexpr int StopScript = 32789;
constexpr int WindowArrange = 57649;
constexpr int WindowCascade = 57650;
constexpr int WindowTile = 57651;
constexpr int HelpFinder = 57667;
constexpr int Help = 57670;
constexpr int ContextHelp = 57669;
constexpr int NextPane = 57680;
constexpr int PrevPane = 57681;
constexpr int About = 57664;
} // namespace CommandId
