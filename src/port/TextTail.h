#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The newest whole lines of a text that arrives in pieces (a port window's
// traffic), for a glance from outside: at most Lines of them, each cut to
// MaxLine characters. A line is whole at its LF; a CR is dropped.
//
// Every line a port shows passes through here, so the lines live in a ring
// whose strings keep their buffers: once warm, taking a line allocates
// nothing.
class CTextTail {
  public:
    static constexpr std::size_t Lines = 20;
    static constexpr std::size_t MaxLine = 200;

    void Append(std::string_view text);
    // Oldest first; the unfinished line last when there is one.
    std::vector<std::string> Newest() const;

  private:
    // Text of the open line without its LF: CRs dropped, cut at MaxLine.
    void AppendToOpen(std::string_view piece);
    void FinishLine();

    std::array<std::string, Lines> m_ring;
    std::size_t m_next = 0;
    std::size_t m_count = 0;
    std::string m_open;
};
