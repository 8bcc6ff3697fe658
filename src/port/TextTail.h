#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

// The newest whole lines of a text that arrives in pieces (a port window's
// traffic), for a glance from outside: at most Lines of them, each cut to
// MaxLine characters. A line is whole at its LF; a CR is dropped.
class CTextTail {
  public:
    static constexpr std::size_t Lines = 20;
    static constexpr std::size_t MaxLine = 200;

    void Append(std::string_view text);
    // Oldest first; the unfinished line last when there is one.
    std::vector<std::string> Newest() const;

  private:
    void Push(std::string line);

    std::deque<std::string> m_lines;
    std::string m_open;
};
