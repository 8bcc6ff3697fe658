#include "routing/WsjtxDecodeText.h"

#include "text/AsciiText.h"

#include <algorithm>
#include <array>

namespace {

using ascii::IsDigit;

bool IsUpperLetter(char c) {
    return c >= 'A' && c <= 'Z';
}

// The first count words of a message; missing ones are left empty.
template <std::size_t N> std::array<std::string_view, N> Words(std::string_view message) {
    std::array<std::string_view, N> words{};
    std::size_t pos = 0;
    for (std::string_view& word : words) {
        pos = message.find_first_not_of(' ', pos);
        if (pos == std::string_view::npos) {
            break;
        }
        std::size_t end = message.find(' ', pos);
        if (end == std::string_view::npos) {
            end = message.size();
        }
        word = message.substr(pos, end - pos);
        pos = end;
    }
    return words;
}

// "<PJ4/K1ABC>" is a call the decoder filled in from an earlier message.
std::string_view Unbracketed(std::string_view word) {
    if (word.size() >= 2 && word.front() == '<' && word.back() == '>') {
        return word.substr(1, word.size() - 2);
    }
    return word;
}

bool IsTarget(std::string_view word) {
    const bool letters = word.size() >= 1 && word.size() <= 4 &&
                         std::all_of(word.begin(), word.end(), IsUpperLetter);
    const bool kHz = word.size() == 3 && std::all_of(word.begin(), word.end(), IsDigit);
    return letters || kHz;
}

bool TakeCaller(std::string_view call, std::string_view grid, WsjtxCaller& caller) {
    call = Unbracketed(call);
    if (!CWsjtxDecodeText::IsCall(call)) {
        return false;
    }
    caller.Call = call;
    caller.Grid = CWsjtxDecodeText::IsGrid(grid) ? grid : std::string_view();
    return true;
}

} // namespace

bool CWsjtxDecodeText::IsGrid(std::string_view word) {
    if (word.size() != 4 && word.size() != 6) {
        return false;
    }
    const auto field = [](char c) { return c >= 'A' && c <= 'R'; };
    const auto sub = [](char c) { return (c >= 'A' && c <= 'X') || (c >= 'a' && c <= 'x'); };
    return field(word[0]) && field(word[1]) && IsDigit(word[2]) && IsDigit(word[3]) &&
           word.substr(0, 4) != "RR73" && (word.size() == 4 || (sub(word[4]) && sub(word[5])));
}

bool CWsjtxDecodeText::IsCall(std::string_view word) {
    const auto callCharacter = [](char c) { return IsUpperLetter(c) || IsDigit(c) || c == '/'; };
    return word.size() >= 3 && word.size() <= 13 &&
           std::all_of(word.begin(), word.end(), callCharacter) &&
           std::any_of(word.begin(), word.end(), IsUpperLetter) &&
           std::any_of(word.begin(), word.end(), IsDigit) && !IsGrid(word);
}

bool CWsjtxDecodeText::ReadCq(std::string_view message, WsjtxCaller& caller) {
    const auto words = Words<4>(message);
    if (words[0] != "CQ") {
        return false;
    }
    caller.Target = {};
    if (TakeCaller(words[1], words[2], caller)) {
        return true;
    }
    if (IsTarget(words[1]) && TakeCaller(words[2], words[3], caller)) {
        caller.Target = words[1];
        return true;
    }
    return false;
}

bool CWsjtxDecodeText::ReadSecondWord(std::string_view message, WsjtxCaller& caller) {
    const auto words = Words<3>(message);
    caller.Target = {};
    return TakeCaller(words[1], words[2], caller);
}
