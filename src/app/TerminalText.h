#pragma once

#include <string>
#include <string_view>

// Turns the text of a port view into lines for a terminal or a log:
//
//   "CON: Port connected\r\n"  ->  "CON: Port connected\n"
//   "a\n\nb", prefix "LOG| "    ->  "LOG| a\nLOG| b"
//
// Every CR or LF ends a line, written as one LF; a CR or LF directly followed
// by another CR or LF makes one line end with it, as in the windows. With a
// prefix, each line begins with it, also when a line arrives in pieces.
// Other control bytes are shown in caret notation ("\x1b[2J" -> "^[[2J"), so
// a peer or a setup file cannot send escape sequences to the operator's
// terminal.
class CTerminalText {
  public:
    std::string Format(std::string_view text, std::string_view prefix = {});
    // Appends c to out, a control byte in caret notation.
    static void AppendShown(std::string& out, char c);

  private:
    bool m_atLineStart = true;
};
