#include "text/JsonReader.h"

#include "text/JsonObjectSyntax.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace {

constexpr int MaxDepth = 64;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

// A position in the text being read; every Take moves forward or fails.
class CJsonReader::Cursor {
  public:
    Cursor(std::string_view text, std::string& out) : m_text(text), m_out(out) {}

    void SkipBlanks() {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) {
            ++m_pos;
        }
    }
    bool AtEnd() const { return m_pos >= m_text.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }
    bool Take(char c) {
        if (Peek() != c || AtEnd()) {
            return false;
        }
        ++m_pos;
        return true;
    }

    // A string after its opening quote, unescaped onto the buffer's end.
    bool String(std::string_view& value) {
        const std::size_t start = m_out.size();
        while (!AtEnd()) {
            const char c = m_text[m_pos++];
            if (c == '"') {
                value = std::string_view(m_out).substr(start);
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return false;
            }
            if (c != '\\') {
                m_out += c;
            } else if (!Escape()) {
                return false;
            }
        }
        return false;
    }

    // A number, a literal, or a nested value kept raw, copied onto the
    // buffer's end.
    bool Value(std::string_view& value, Kind& kind) {
        const std::size_t from = m_pos;
        const char c = Peek();
        if (c == '{' || c == '[') {
            kind = c == '{' ? Kind::Object : Kind::Array;
            if (!SkipNested()) {
                return false;
            }
        } else if (c == '-' || IsDigit(c)) {
            kind = Kind::Number;
            while (!AtEnd() && (IsDigit(Peek()) || Peek() == '-' || Peek() == '+' ||
                                Peek() == '.' || Peek() == 'e' || Peek() == 'E')) {
                ++m_pos;
            }
            if (!IsNumber(m_text.substr(from, m_pos - from))) {
                return false;
            }
        } else {
            kind = Kind::Literal;
            bool known = false;
            for (std::string_view word : {"true", "false", "null"}) {
                if (m_text.substr(m_pos, word.size()) == word) {
                    m_pos += word.size();
                    known = true;
                    break;
                }
            }
            if (!known) {
                return false;
            }
        }
        const std::size_t start = m_out.size();
        m_out.append(m_text.substr(from, m_pos - from));
        value = std::string_view(m_out).substr(start);
        return true;
    }

  private:
    // After a backslash: one escape, unescaped onto the buffer.
    bool Escape() {
        if (AtEnd()) {
            return false;
        }
        const char c = m_text[m_pos++];
        switch (c) {
        case '"':
        case '\\':
        case '/':
            m_out += c;
            return true;
        case 'b':
            m_out += '\b';
            return true;
        case 'f':
            m_out += '\f';
            return true;
        case 'n':
            m_out += '\n';
            return true;
        case 'r':
            m_out += '\r';
            return true;
        case 't':
            m_out += '\t';
            return true;
        case 'u':
            return Unicode();
        default:
            return false;
        }
    }

    bool Hex4(unsigned& code) {
        if (m_text.size() - m_pos < 4) {
            return false;
        }
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = HexValue(m_text[m_pos++]);
            if (digit < 0) {
                return false;
            }
            code = code * 16 + static_cast<unsigned>(digit);
        }
        return true;
    }

    // "\uD83D\uDE00" is one character; a lone surrogate is no character.
    bool Unicode() {
        unsigned code = 0;
        if (!Hex4(code)) {
            return false;
        }
        if (code >= 0xDC00 && code <= 0xDFFF) {
            return false;
        }
        if (code >= 0xD800 && code <= 0xDBFF) {
            unsigned low = 0;
            if (!Take('\\') || !Take('u') || !Hex4(low) || low < 0xDC00 || low > 0xDFFF) {
                return false;
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(m_out, code);
        return true;
    }

    // An object or array, checked for balance and strings but not read.
    bool SkipNested() {
        int depth = 0;
        while (!AtEnd()) {
            const char c = m_text[m_pos++];
            if (c == '{' || c == '[') {
                if (++depth > MaxDepth) {
                    return false;
                }
            } else if (c == '}' || c == ']') {
                if (--depth == 0) {
                    return true;
                }
            } else if (c == '"') {
                if (!SkipString()) {
                    return false;
                }
            }
        }
        return false;
    }

    bool SkipString() {
        while (!AtEnd()) {
            const char c = m_text[m_pos++];
            if (c == '"') {
                return true;
            }
            if (c == '\\') {
                if (AtEnd()) {
                    return false;
                }
                ++m_pos;
            }
        }
        return false;
    }

    std::string_view m_text;
    std::string& m_out;
    std::size_t m_pos = 0;
};

bool CJsonReader::Read(std::string_view text) {
    m_members.clear();
    m_buffer.clear();
    // Unescaped text is never longer than its source, so the buffer never
    // moves while members view it.
    m_buffer.reserve(text.size());
    Cursor cursor(text, m_buffer);
    return ReadJsonObject(cursor, [this](const Member& member) { m_members.push_back(member); });
}

const CJsonReader::Member* CJsonReader::Find(std::string_view name) const {
    for (const Member& member : m_members) {
        if (member.name == name) {
            return &member;
        }
    }
    return nullptr;
}

std::optional<std::string_view> CJsonReader::Text(std::string_view name) const {
    const Member* member = Find(name);
    if (member == nullptr || member->kind != Kind::String) {
        return std::nullopt;
    }
    return member->value;
}

bool CJsonReader::Number(std::string_view name, double& value) const {
    const Member* member = Find(name);
    return member != nullptr && NumberOf(*member, value);
}

bool CJsonReader::NumberOf(const Member& member, double& value) {
    if (member.kind != Kind::Number) {
        return false;
    }
    // Most numbers on the wire are whole and short: up to 15 digits they
    // are exact in a double, and counting them is far cheaper.
    const std::string_view text = member.value;
    const bool negative = !text.empty() && text.front() == '-';
    const std::string_view digits = text.substr(negative ? 1 : 0);
    if (!digits.empty() && digits.size() <= 15 &&
        std::all_of(digits.begin(), digits.end(), IsDigit)) {
        std::int64_t whole = 0;
        for (const char c : digits) {
            whole = whole * 10 + (c - '0');
        }
        value = static_cast<double>(negative ? -whole : whole);
        if (negative && whole == 0) {
            value = -0.0;
        }
        return true;
    }
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool CJsonReader::IsNumber(std::string_view text) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t from = i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
        }
        return i - from;
    };
    if (i < text.size() && text[i] == '-') {
        ++i;
    }
    if (i < text.size() && text[i] == '0') {
        ++i;
    } else if (digits() == 0) {
        return false;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (digits() == 0) {
            return false;
        }
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        if (digits() == 0) {
            return false;
        }
    }
    return i == text.size();
}
