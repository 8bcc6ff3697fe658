#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The last lines a server port sent, for a caller that logs in later.
//
// Each line is kept as it went out, in the port's own format with its
// terminator. The strings are reused once the ring has gone round, so
// memory stays at the number of lines times the longest line.
class CLineBacklog {
  public:
    static constexpr int MaxLength = 1000;

    // Clears the ring; 0 keeps nothing.
    void SetLength(int lines);
    int Length() const { return static_cast<int>(m_lines.size()); }
    void Record(std::string_view text);
    // Oldest first.
    void ForEach(const std::function<void(std::string_view)>& fn) const;

  private:
    std::vector<std::string> m_lines;
    std::size_t m_next = 0;
    std::size_t m_count = 0;
};
