#include "app/TerminalText.h"

namespace {

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

std::string CTerminalText::Format(std::string_view text, std::string_view prefix) {
    std::string out;
    out.reserve(text.size() + prefix.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsLineEnd(c)) {
            if (i + 1 < text.size() && IsLineEnd(text[i + 1])) {
                ++i;
            }
            if (m_atLineStart && !prefix.empty()) {
                out += prefix;
            }
            out += '\n';
            m_atLineStart = true;
            continue;
        }
        if (m_atLineStart && !prefix.empty()) {
            out += prefix;
        }
        AppendShown(out, c);
        m_atLineStart = false;
    }
    return out;
}

void CTerminalText::AppendShown(std::string& out, char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\t' || (byte >= 0x20 && byte != 0x7f)) {
        out += c;
    } else {
        out += '^';
        out += byte == 0x7f ? '?' : static_cast<char>(byte + 64);
    }
}
