#pragma once

#include "platform/CommandIds.h"

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
