#include "transport/TelnetFilter.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The command bytes 251..255 (WILL, WONT, DO, DONT, IAC).
constexpr unsigned char FirstCommandByte = 251;

// Every command byte has its high bit set, and spot text is plain ASCII.
constexpr std::uint64_t HighBits = 0x8080808080808080u;

// True when none of the 8 bytes at data has its high bit set.
bool PlainAscii8(const char* data) {
    std::uint64_t word;
    std::memcpy(&word, data, sizeof word);
    return (word & HighBits) == 0;
}

// Passes over the plain bytes from i a block at a time and returns where it
// stopped: on a byte with its high bit set, or before the last few bytes
// (less than a block), which the caller reads one by one. Sixteen bytes a
// step where the processor tests their high bits at once (every x86-64
// does), else eight.
int SkipPlain(const char* data, int i, int n) {
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i))));
        if (mask != 0) {
            return i + __builtin_ctz(mask);
        }
    }
#endif
    while (i + 8 <= n && PlainAscii8(data + i)) {
        i += 8;
    }
    return i;
}

} // namespace

void CTelnetFilter::Apply(char* data, int n, const Answer& answer) {
    for (int i = 0; i < n; ++i) {
        // Plain bytes are passed over a block at a time as they are.
        i = SkipPlain(data, i, n);
        if (i == n) {
            break;
        }
        const auto byte = static_cast<unsigned char>(data[i]);
        if (byte == Iac && i + 2 < n && static_cast<unsigned char>(data[i + 1]) == Do) {
            const char refusal[3] = {static_cast<char>(Iac), static_cast<char>(Wont), data[i + 2]};
            answer(refusal, 3);
        }
        if (byte >= FirstCommandByte) {
            data[i] = ' ';
        }
    }
}
