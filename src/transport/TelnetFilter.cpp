#include "transport/TelnetFilter.h"

#include <cstdint>
#include <cstring>

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

} // namespace

void CTelnetFilter::Apply(char* data, int n, const Answer& answer) {
    for (int i = 0; i < n; ++i) {
        // Eight plain bytes at a time are passed over as they are.
        while (i + 8 <= n && PlainAscii8(data + i)) {
            i += 8;
        }
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
