#pragma once

#include "app/TerminalText.h"
#include "platform/IPortView.h"

#include <string>

// A port window without a screen. The document's main window writes to
// standard error; the console port "CON" writes to standard output (or, in a
// check run, to standard error like the others); any other port is copied to
// standard error as "NAME| " lines when followed, and dropped otherwise.
// A followed port's text is held until its line ends and then written whole,
// one line per write, so that ports busy at the same time never mix inside a
// line.
// Placements are kept as given, so a setup saves back what it loaded.
class CHeadlessPortView : public IPortView {
  public:
    enum class Role { Main, Port };

    // A followed line longer than this is written in pieces of this size.
    static constexpr std::size_t MaxHeldLine = 4096;

    CHeadlessPortView(Role role, bool follow, bool consoleOnStdout);
    ~CHeadlessPortView() override;

    void AppendText(std::string_view text) override;
    void SetTitleParts(const std::string& name, const std::string& status) override;
    std::string PortName() const override { return m_name; }
    void AttachInput(CPortHandler* port) override { m_input = port; }
    void DetachInput() override { m_input = nullptr; }
    WindowPlacement GetPlacement() const override { return m_placement; }
    void SetPlacement(const WindowPlacement& placement) override { m_placement = placement; }

    // The port typed lines go to while it is connected; null otherwise.
    CPortHandler* InputPort() const { return m_input; }
    // Whether any text was written to the window.
    bool Written() const { return m_written; }

  private:
    // Writes the followed text that ends a line, keeps the rest.
    void Follow(std::string_view text);
    void WriteLines(std::string_view text);

    Role m_role;
    bool m_follow;
    bool m_consoleOnStdout;
    std::string m_name;
    CPortHandler* m_input = nullptr;
    WindowPlacement m_placement;
    CTerminalText m_text;
    bool m_written = false;
    std::string m_held;
};
