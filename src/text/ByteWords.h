#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Bytes read, written and copied a machine word at a time, for the per-line
// paths that scan and copy short texts (calls, frequencies, the pieces of a
// frame): a few word moves cost less there than a call of memcpy each.
namespace bytewords {

// The bytes at `at` as one word, whatever their alignment.
template <class Word = std::uint64_t> Word Load(const char* at) {
    Word word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// The n bytes at `at`, 4 <= n <= 8, as the low bytes of a word (the first
// lowest on this little-endian machine), the rest zero: two half words that
// may overlap, rather than a loop or a call.
inline std::uint64_t LoadShort(const char* at, std::size_t n) {
    const std::uint64_t first = Load<std::uint32_t>(at);
    const std::uint64_t last = Load<std::uint32_t>(at + n - 4);
    return first | last << (8 * (n - 4));
}

inline void Store(char* at, std::uint64_t word) {
    std::memcpy(at, &word, sizeof word);
}

// memcpy of n bytes between buffers that do not overlap; the first and the
// last word (or half word) of the copy may overlap each other.
[[gnu::always_inline]] inline void CopyShort(char* to, const char* from, std::size_t n) {
    if (n >= 8) {
        for (std::size_t i = 0; i + 8 < n; i += 8) {
            Store(to + i, Load(from + i));
        }
        Store(to + n - 8, Load(from + n - 8));
    } else if (n >= 4) {
        const auto first = Load<std::uint32_t>(from);
        const auto last = Load<std::uint32_t>(from + n - 4);
        std::memcpy(to, &first, 4);
        std::memcpy(to + n - 4, &last, 4);
    } else if (n > 0) {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
    }
}

} // namespace bytewords
