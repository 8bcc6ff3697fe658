#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class IUiServices;

// Reader and writer of the setup file: a flat, strictly sequential list of
// "key=value" lines whose meaning comes from their position.
//
//   NumberOfPorts=1
//   FontSize=20
//   PortType=COM
//
// A reader never searches for a key: each GetString checks that the next
// significant line carries the expected key, says so in a message box when it
// does not, and uses the line regardless. Optional groups are recognised with
// IsNextKey, which looks at the next key without consuming it.
//
// Collaborators: every part that stores settings writes and reads its own
// lines through one CSetupFile; the document owns it for one load or save.
// Mismatch messages go through the UI services.
class CSetupFile {
  public:
    static constexpr std::size_t MaxLine = 255;

    // Writer: every composed line is handed to sink, LF included.
    explicit CSetupFile(std::function<void(std::string_view)> sink);
    // Reader over the lines of a file as the document read them.
    CSetupFile(const std::vector<std::string>& lines, IUiServices& ui);

    void PutString(std::string_view key, std::string_view text);
    void PutChar(std::string_view key, char c);
    void PutInt(std::string_view key, int value);

    // The value after the first "=" of the next line; the line is consumed
    // even when its key is not the expected one. Valid until the next read.
    const std::string& GetString(std::string_view key);
    int GetInt(std::string_view key);
    bool IsNextKey(std::string_view key);

    void ReadLine();
    void UnreadLine();
    void WriteLine();

    // True once a read went past the last line of the input.
    bool PastEnd() const { return m_pastEnd; }
    // Number of message boxes the reader raised.
    int ErrorCount() const { return m_errorCount; }

    const std::string& CurrentLine() const { return m_currentLine; }
    // The number in the file (from 1) of the line last read; 0 before any.
    int LineNumber() const { return m_lineNumber; }

    // atoi: leading white space, optional sign, digits up to the first
    // non-digit; no digits reads as 0. Saturates instead of overflowing.
    static int ToInt(std::string_view text);
    // True when text is one integer, blanks around it allowed ("8", " -1 "),
    // with value as ToInt reads it; false for "x", "8x" or nothing.
    static bool IsWholeInt(std::string_view text, int& value);

  private:
    bool FetchLine();
    std::string_view KeyPart(const std::string& line) const;

    std::string m_currentLine;
    // The lines below are views into the input list, which outlives the
    // reader: a line of megabytes is then split into pieces without copying
    // its rest once per piece.
    std::string_view m_fetched;    // the line or piece being read
    std::string_view m_unreadLine; // empty means none
    std::string_view m_lastLine;
    std::string_view m_pending; // rest of a line longer than MaxLine
    std::string m_value;
    std::function<void(std::string_view)> m_sink;
    const std::vector<std::string>* m_input = nullptr;
    std::size_t m_inputIndex = 0;
    int m_lineNumber = 0;
    int m_lastLineNumber = 0;
    IUiServices* m_ui = nullptr;
    bool m_pastEnd = false;
    int m_errorCount = 0;
};
