#include "transport/TelnetFilter.h"

namespace {

// The command bytes 251..255 (WILL, WONT, DO, DONT, IAC).
constexpr unsigned char FirstCommandByte = 251;

} // namespace

void CTelnetFilter::Apply(char* data, int n, const Answer& answer) {
    for (int i = 0; i < n; ++i) {
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
