#include "ui/MenuCommand.h"

#include "platform/CommandIds.h"
#include "port/PortKind.h"

std::string MenuCommand::StatusTip() const {
    return prompt.substr(0, prompt.find('\n'));
}

std::string MenuCommand::ToolTip() const {
    auto at = prompt.find('\n');
    return at == std::string::npos ? std::string() : prompt.substr(at + 1);
}

const std::vector<MenuCommand>& MenuCommand::All() {
    using namespace CommandId;
    static const std::vector<MenuCommand> commands = [] {
        std::vector<MenuCommand> all = {
            {FileNew, "&New", "Ctrl+N", "Create a new document\nNew"},
            {FileOpen, "&Open\u2026", "Ctrl+O", "Open an existing document\nOpen"},
            {FileClose, "&Close", "Ctrl+W", "Close the active document\nClose"},
            {FileSave, "&Save", "Ctrl+S", "Save the active document\nSave"},
            {FileSaveAs, "Save &As\u2026", "Ctrl+Shift+S",
             "Save the active document with a new name\nSave As"},
            {FileMru, "Recent File", "", "Open this document"},
            {AppExit, "E&xit", "Ctrl+Q", "Quit the application; prompts to save documents\nExit"},
            {EditUndo, "&Undo", "Alt+Backspace", "Undo the last action\nUndo"},
            {EditCut, "Cu&t", "Shift+Del", "Cut the selection and put it on the Clipboard\nCut"},
            {EditCopy, "&Copy", "Ctrl+Ins", "Copy the selection and put it on the Clipboard\nCopy"},
            {EditPaste, "&Paste", "Shift+Ins", "Insert Clipboard contents\nPaste"},
            {Font, "&Font\u2026", "", "Change Font\nFont"},
            {ViewToolbar, "&Toolbar", "", "Show or hide the toolbar\nToggle ToolBar"},
            {ViewStatusBar, "&Status Bar", "", "Show or hide the status bar\nToggle StatusBar"},
            {ViewTimestamps, "Time&stamps", "",
             "Show the UTC time before each line of the windows\nTimestamps"},
            {ViewLocalEcho, "Local &Echo", "",
             "Show each typed line in its port's window\nLocal Echo"},
            {ViewConsole, "&Port Toolbar", "",
             "Show or hide the toolbar with the port selector\nPort Toolbar"},
        };
        for (const PortKind& kind : PortKinds::All()) {
            // Each opens the port's setup dialog.
            all.push_back({kind.command, kind.menuItem + std::string("\u2026"), "", kind.prompt});
        }
        all.insert(
            all.end(),
            {
                {Routes, "&Routes\u2026", "", ""},
                {Connect, "&Connect!", "", "Connect selected port(s).\nConnect"},
                {Disconnect, "&Disconnect!", "", "Disconnect selected port(s).\nDisconnect"},
                {Remove, "R&emove!", "", "Remove the selected connection.\nRemove"},
                {EditScript, "Edit &Script\u2026", "", "Edit the connect script\nEdit Script"},
                {EditPort, "Edit &Port\u2026", "", "Edit Port setup.\nEdit Port"},
                {StopScript, "S&top Script!", "", "Stop the connect script!\nStop Script!"},
                {WindowCascade, "&Cascade", "", "Arrange windows so they overlap\nCascade Windows"},
                {WindowTile, "&Tile", "", "Arrange windows as non-overlapping tiles\nTile Windows"},
                {WindowArrange, "&Arrange Icons", "",
                 "Arrange icons at the bottom of the window\nArrange Icons"},
                {HelpFinder, "&Help Topics", "F1", "List Help topics\nHelp Topics"},
                {Help, "Help", "", "Display help for current task or command\nHelp"},
                {ContextHelp, "Context Help", "Shift+F1",
                 "Display help for clicked on buttons, menus and windows\nHelp"},
                {NextPane, "Next Pane", "F6", "Switch to the next window pane\nNext Pane"},
                {PrevPane, "Previous Pane", "Shift+F6",
                 "Switch back to the previous window pane\nPrevious Pane"},
                {About, "&About spotweaver\u2026", "",
                 "Display program information, version number and copyright\nAbout"},
                {PortCommand::Connect, "Connect", "", "Connect this port.\nConnect"},
                {PortCommand::Disconnect, "Disconnect", "", "Disconnect this port.\nDisconnect"},
                {PortCommand::Remove, "Remove", "", "Remove the port.\nRemove"},
                {PortCommand::Edit, "Edit Port", "", "Edit the port setup.\nEdit Port"},
                {PortCommand::EditScript, "Edit Script", "",
                 "Edit the connect script.\nEdit Script"},
                {PortCommand::StopScript, "Stop Script", "",
                 "Stop the connect script.\nStop Script"},
            });
        return all;
    }();
    return commands;
}

const MenuCommand& MenuCommand::Of(int id) {
    static const MenuCommand none;
    for (const auto& command : All()) {
        if (command.id == id) {
            return command;
        }
    }
    return none;
}
