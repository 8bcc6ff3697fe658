#include "transport/HttpRequest.h"

#include "text/AsciiText.h"

#include <algorithm>

namespace {

int HexValue(char c) {
    if (ascii::IsDigit(c)) {
        return c - '0';
    }
    const char upper = ascii::Upper(c);
    return upper >= 'A' && upper <= 'F' ? upper - 'A' + 10 : -1;
}

// "%2F" and '+' decoded; false for a broken escape or a NUL.
bool Decode(std::string_view text, bool plusIsSpace, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size()) {
                return false;
            }
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high < 0 || low < 0) {
                return false;
            }
            c = static_cast<char>(high * 16 + low);
            i += 2;
        } else if (c == '+' && plusIsSpace) {
            c = ' ';
        }
        if (c == '\0') {
            return false;
        }
        out += c;
    }
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsTokenChar(char c) {
    return ascii::IsPrintable(c) && c != ' ' && c != ':' && c != '(' && c != ')' && c != ',' &&
           c != '/' && c != '"';
}

} // namespace

HttpRequest::State HttpRequest::Parse(std::string_view buffered) {
    const std::size_t end = buffered.find("\r\n\r\n");
    if (end == std::string_view::npos || end + 4 > MaxHead) {
        return buffered.size() >= MaxHead ? State::TooLarge : State::More;
    }
    headLength = end + 4;
    std::string_view head = buffered.substr(0, end + 2);
    headers.clear();

    // GET /path?query HTTP/1.1
    const std::size_t lineEnd = head.find("\r\n");
    const std::string_view line = head.substr(0, lineEnd);
    const std::size_t space1 = line.find(' ');
    const std::size_t space2 = line.rfind(' ');
    if (space1 == std::string_view::npos || space2 == space1 ||
        line.substr(space2 + 1).substr(0, 7) != "HTTP/1.") {
        return State::Bad;
    }
    method = line.substr(0, space1);
    std::string_view target = line.substr(space1 + 1, space2 - space1 - 1);
    if (target.empty() || target.front() != '/' ||
        !std::all_of(method.begin(), method.end(), ascii::IsLetter)) {
        return State::Bad;
    }
    const std::size_t mark = target.find('?');
    query = mark == std::string_view::npos ? std::string() : std::string(target.substr(mark + 1));
    if (!Decode(target.substr(0, mark), false, path)) {
        return State::Bad;
    }

    for (std::size_t start = lineEnd + 2; start < head.size();) {
        const std::size_t stop = head.find("\r\n", start);
        const std::string_view field = head.substr(start, stop - start);
        start = stop + 2;
        const std::size_t colon = field.find(':');
        if (colon == 0 || colon == std::string_view::npos ||
            !std::all_of(field.begin(), field.begin() + static_cast<std::ptrdiff_t>(colon),
                         IsTokenChar)) {
            return State::Bad;
        }
        std::string name(field.substr(0, colon));
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
        headers.emplace_back(std::move(name), std::string(Trim(field.substr(colon + 1))));
    }
    // No endpoint takes a body, and one that is not read would be taken for
    // the next request.
    const std::string_view length = Header("content-length");
    if ((!length.empty() && length != "0") || !Header("transfer-encoding").empty()) {
        return State::TooLarge;
    }
    return State::Done;
}

std::string_view HttpRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (key == name) {
            return value;
        }
    }
    return {};
}

// The raw value of name in the query; false when absent.
bool HttpRequest::FindParam(std::string_view name, std::string_view& value) const {
    std::string_view rest = query;
    while (!rest.empty()) {
        const std::size_t amp = rest.find('&');
        const std::string_view pair = rest.substr(0, amp);
        const std::size_t equals = pair.find('=');
        if (pair.substr(0, equals) == name) {
            value = equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
            return true;
        }
        rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
    }
    return false;
}

bool HttpRequest::HasParam(std::string_view name) const {
    std::string_view value;
    return FindParam(name, value);
}

std::string HttpRequest::Param(std::string_view name) const {
    std::string_view raw;
    std::string value;
    if (!FindParam(name, raw) || !Decode(raw, true, value)) {
        return {};
    }
    return value;
}

std::string HttpRequest::Token() const {
    const std::string_view auth = Header("authorization");
    constexpr std::string_view Bearer = "Bearer ";
    if (auth.size() > Bearer.size() &&
        ascii::EqualsIgnoringCase(auth.substr(0, Bearer.size()), Bearer)) {
        return std::string(Trim(auth.substr(Bearer.size())));
    }
    return Param("token");
}
