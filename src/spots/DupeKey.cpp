#include "spots/DupeKey.h"

#include "text/AsciiText.h"
#include "text/ByteWords.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

using bytewords::CopyShort;
using bytewords::Load;
using bytewords::Store;

constexpr std::uint64_t Ones = 0x0101010101010101u;
constexpr std::uint64_t HighBits = 0x80 * Ones;
constexpr std::size_t Words = CDupeKey::InlineSize / 8;

// The low n bytes of a word (1 <= n <= 8).
std::uint64_t LowBytes(std::size_t n) {
    return ~std::uint64_t{0} >> (64 - 8 * n);
}

// Eight ASCII letters upper-cased at once; bytes above 127 stay as they are.
std::uint64_t Upper8(std::uint64_t x) {
    const std::uint64_t seven = x & ~HighBits;
    const std::uint64_t atLeastA = seven + (0x80 - 'a') * Ones;
    const std::uint64_t aboveZ = seven + (0x7f - 'z') * Ones;
    const std::uint64_t lower = atLeastA & ~aboveZ & ~x & HighBits;
    return x ^ (lower >> 2);
}

// The high bit of the lowest byte of x that is a blank (higher bits may be
// wrong, the lowest never is); 0 when there is none.
std::uint64_t Blanks(std::uint64_t x) {
    const std::uint64_t v = x ^ (' ' * Ones);
    return (v - Ones) & ~v & HighBits;
}

constexpr std::uint64_t Multiplier = 0x9E3779B97F4A7C15u;

} // namespace

void CDupeKey::Set(std::string_view key) {
    Forget();
    m_size = key.size();
    std::memset(m_inline, 0, InlineSize);
    if (m_size <= InlineSize) {
        std::memcpy(m_inline, key.data(), m_size);
    } else {
        m_long.assign(key);
    }
    Finish();
}

void CDupeKey::Set(std::string_view frequency, std::string_view call) {
    m_frequency = frequency;
    m_call = call;
    m_size = frequency.size() + 1 + call.size();
    std::memset(m_inline, 0, InlineSize);
    if (m_size <= InlineSize) {
        CopyShort(m_inline, frequency.data(), frequency.size());
        m_inline[frequency.size()] = ' ';
        CopyShort(m_inline + frequency.size() + 1, call.data(), call.size());
    } else {
        m_long.assign(frequency);
        m_long += ' ';
        m_long += call;
    }
    Finish();
}

void CDupeKey::Finish() {
    if (m_size > InlineSize) {
        for (char& c : m_long) {
            c = ascii::Upper(c);
        }
        std::memcpy(m_inline, m_long.data(), InlineSize);
    }
    // Every word of the head, padding and all: upper-casing a zero byte
    // changes nothing, and a fixed count keeps the loops free of branches.
    std::uint64_t words[Words];
    for (std::size_t i = 0; i < Words; ++i) {
        words[i] = Upper8(Load(m_inline + 8 * i));
        Store(m_inline + 8 * i, words[i]);
    }
    std::size_t end = 0; // just past the first blank
    for (std::size_t i = 0; i < Words && end == 0; ++i) {
        const std::uint64_t blanks = Blanks(words[i]);
        if (blanks != 0) {
            end = 8 * i + static_cast<std::size_t>(std::countr_zero(blanks)) / 8 + 1;
        }
    }
    if (end == 0 && m_size > InlineSize) {
        end = m_long.find(' ', InlineSize) + 1; // 0 when there is none
    }
    m_blank = end != 0;
    if (!m_blank) {
        end = m_size;
    }

    // The hash covers the bytes before end: the head's words cut to them,
    // then the rest of a long frequency byte by byte.
    std::uint64_t h = 0;
    for (std::size_t i = 0; i < Words && 8 * i < end; ++i) {
        const std::size_t kept = end - 8 * i;
        const std::uint64_t mask = kept >= 8 ? ~std::uint64_t{0} : LowBytes(kept);
        h = std::rotl((h ^ (words[i] & mask)) * Multiplier, 29);
    }
    for (std::size_t i = InlineSize; i < end; ++i) {
        h = (h ^ static_cast<unsigned char>(m_long[i])) * Multiplier;
    }
    // Table buckets take the low bits: every input bit must reach them.
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdu;
    h ^= h >> 33;
    m_hash = static_cast<std::uint32_t>(h);
}

bool CDupeKey::HeadBegins(const char* storedHead) const {
    const std::size_t head = std::min(m_size, InlineSize);
    std::size_t i = 0;
    for (; i + 8 <= head; i += 8) {
        if (Load(storedHead + i) != Load(m_inline + i)) {
            return false;
        }
    }
    return i == head || ((Load(storedHead + i) ^ Load(m_inline + i)) & LowBytes(head - i)) == 0;
}
