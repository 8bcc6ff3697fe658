#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A dupe table key ("14025.0 K1ABC"): the frequency and the DX call of a spot
// with a blank between them, in upper case, and the hash of its part up to
// and including the first blank (the frequency). Made once, it can be
// checked against any number of tables without touching the spot again.
//
// The first InlineSize bytes are held in place, zero padded, so that a table
// compares and copies them a word at a time; a longer key (a frequency and
// call no real spot has) also keeps its whole text in a string.
class CDupeKey {
  public:
    static constexpr std::size_t InlineSize = 32;

    // The key as given.
    void Set(std::string_view key);
    // "frequency call".
    void Set(std::string_view frequency, std::string_view call);
    // True when the key was last made from these very views (the same
    // bytes at the same places), so it need not be made again; only while
    // the memory they view is unchanged, so its owner forgets the key when
    // that memory is reused.
    bool IsOf(std::string_view frequency, std::string_view call) const {
        return m_frequency.data() == frequency.data() && m_frequency.size() == frequency.size() &&
               m_call.data() == call.data() && m_call.size() == call.size() &&
               m_frequency.data() != nullptr;
    }
    void Forget() { m_frequency = m_call = {}; }

    std::size_t Size() const { return m_size; }
    std::string_view Text() const {
        return m_size <= InlineSize ? std::string_view(m_inline, m_size) : std::string_view(m_long);
    }
    // The first InlineSize bytes of the text, zero padded.
    const char* Head() const { return m_inline; }
    // Whether the key holds a blank; only then is Hash() that of a
    // frequency, which every key beginning with this one shares.
    bool HasBlank() const { return m_blank; }
    std::uint32_t Hash() const { return m_hash; }

    // Whether a stored key whose head (first InlineSize bytes, zero padded)
    // is storedHead agrees with this key on this key's first
    // min(Size(), InlineSize) bytes.
    bool HeadBegins(const char* storedHead) const;

  private:
    void Finish();

    alignas(8) char m_inline[InlineSize] = {};
    std::string m_long;
    std::size_t m_size = 0;
    // The views of the last Set(frequency, call); none after Set(key).
    std::string_view m_frequency;
    std::string_view m_call;
    std::uint32_t m_hash = 0;
    bool m_blank = false;
};
