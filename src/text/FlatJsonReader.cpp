#include "text/FlatJsonReader.h"

#include "text/JsonObjectSyntax.h"

#include <algorithm>
#include <utility>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool InNumber(char c) {
    return IsDigit(c) || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

} // namespace

CFlatJsonReader::CFlatJsonReader(std::vector<std::string_view> names)
    : m_names(std::move(names)), m_values(m_names.size()), m_found(m_names.size(), false) {}

std::size_t CFlatJsonReader::IndexOf(std::string_view name) {
    // A feed writes its members in one order; with the names given in that
    // order the search starts where the last one was found and ends there.
    const std::size_t count = m_names.size();
    for (std::size_t n = 0; n < count; ++n) {
        const std::size_t i = (m_next + n) % count;
        if (m_names[i] == name) {
            m_next = i + 1;
            return i;
        }
    }
    return count;
}

namespace {

// The reading position; every step moves forward or fails.
struct Scan {
    const char* at;
    const char* end;

    void SkipBlanks() {
        while (at != end && IsBlank(*at)) {
            ++at;
        }
    }
    bool Take(char c) {
        if (at != end && *at == c) {
            ++at;
            return true;
        }
        return false;
    }
    // A string after its opening quote; an escape or a control character
    // is for the full reader.
    bool String(std::string_view& value) {
        const char* from = at;
        for (; at != end; ++at) {
            const char c = *at;
            if (c == '"') {
                value = std::string_view(from, static_cast<std::size_t>(at - from));
                ++at;
                return true;
            }
            if (c == '\\' || static_cast<unsigned char>(c) < 0x20) {
                return false;
            }
        }
        return false;
    }
    bool AtEnd() const { return at == end; }
    // A value other than a string: a number or a literal; a nested object
    // or array is for the full reader.
    bool Value(std::string_view& value, CJsonReader::Kind& kind) {
        const char* from = at;
        if (at != end && (*at == '-' || IsDigit(*at))) {
            while (at != end && InNumber(*at)) {
                ++at;
            }
            kind = CJsonReader::Kind::Number;
            value = std::string_view(from, static_cast<std::size_t>(at - from));
            return CJsonReader::IsNumber(value);
        }
        kind = CJsonReader::Kind::Literal;
        const std::string_view rest(at, static_cast<std::size_t>(end - at));
        for (const std::string_view word : {"true", "false", "null"}) {
            if (rest.substr(0, word.size()) == word) {
                value = rest.substr(0, word.size());
                at += word.size();
                return true;
            }
        }
        return false;
    }
};

} // namespace

bool CFlatJsonReader::Read(std::string_view text) {
    std::fill(m_found.begin(), m_found.end(), false);
    m_next = 0;
    Scan scan{text.data(), text.data() + text.size()};
    return ReadJsonObject(scan, [this](const CJsonReader::Member& member) {
        const std::size_t index = IndexOf(member.name);
        if (index < m_names.size() && !m_found[index]) {
            m_found[index] = true;
            m_values[index] = member;
        }
    });
}
