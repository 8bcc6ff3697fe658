#pragma once

#include <array>
#include <string>

// The input line's memory of sent commands: 16 entries, entry 0 the most
// recent, and the entry the arrow keys show (-1 for none).
class CCommandHistory {
  public:
    static constexpr int Size = 16;

    // Enter: the text becomes entry 0 unless it is empty or repeats entry 0;
    // the arrows start again from the newest entry.
    void OnEnter(const std::string& text);
    // The text to show after the up or down arrow, given what is typed now.
    std::string Up(const std::string& typed);
    std::string Down();

    int Position() const { return m_position; }
    const std::string& Entry(int i) const { return m_entries[static_cast<std::size_t>(i)]; }

  private:
    void Store(const std::string& text);

    std::array<std::string, Size> m_entries;
    int m_position = -1;
};
