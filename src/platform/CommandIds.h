#pragma once

// The ids of every command: the main frame's menus and toolbars, and the
// commands a port window carries out for its own port. The document, the
// menus and the program all name a command by these ids.
namespace CommandId {
constexpr int Remove = 3;
// The Setup > Add New commands; each port kind's row names its own.
constexpr int AddCom = 32772;
constexpr int AddConsole = 32773;
constexpr int ViewConsole = 32774;
constexpr int ViewTimestamps = 32810;
constexpr int ViewLocalEcho = 32811;
constexpr int AddTelnet = 32775;
constexpr int AddBroadcast = 32776;
constexpr int Routes = 32777;
constexpr int Connect = 32779;
constexpr int Disconnect = 32780;
constexpr int AddRxTelnet = 32783;
constexpr int EditScript = 32787;
constexpr int EditPort = 32788;
constexpr int StopScript = 32789;
constexpr int AddLogFile = 32790;
constexpr int AddWsjtx = 32800;
constexpr int AddWeb = 32801;
constexpr int AddMqtt = 32802;
constexpr int Font = 32799;
constexpr int FileNew = 57600;
constexpr int FileOpen = 57601;
constexpr int FileClose = 57602;
constexpr int FileSave = 57603;
constexpr int FileSaveAs = 57604;
constexpr int FileMru = 57616;
constexpr int EditCopy = 57634;
constexpr int EditCut = 57635;
constexpr int EditPaste = 57637;
constexpr int EditUndo = 57643;
constexpr int WindowArrange = 57649;
constexpr int WindowCascade = 57650;
constexpr int WindowTile = 57651;
constexpr int About = 57664;
constexpr int AppExit = 57665;
constexpr int HelpFinder = 57667;
constexpr int ContextHelp = 57669;
constexpr int Help = 57670;
constexpr int NextPane = 57680;
constexpr int PrevPane = 57681;
constexpr int ViewToolbar = 59392;
constexpr int ViewStatusBar = 59393;
} // namespace CommandId

// Commands a port window carries out for its own port; they take the ids
// from First to Last.
namespace PortCommand {
constexpr int Connect = 32791;
constexpr int Disconnect = 32792;
constexpr int Remove = 32793;
constexpr int Edit = 32794;
constexpr int EditScript = 32795;
constexpr int StopScript = 32796;
constexpr int DisconnectKeepScript = 32798;

constexpr int First = Connect;
constexpr int Last = DisconnectKeepScript;
constexpr bool Is(int id) {
    return id >= First && id <= Last;
}
} // namespace PortCommand
