#include "spots/LoopMark.h"

#include <algorithm>
#include <cstring>

namespace {

// The comment is worked on in an 80-byte buffer: 79 characters and the end.
constexpr std::size_t WorkingLength = 79;
// Comments longer than this are cut back at a word boundary first.
constexpr std::size_t WordCutLength = 25;
// Comment and mark together.
constexpr std::size_t MarkedLength = 30;

} // namespace

bool HasLoopMark(std::string_view comment, const RouterOptions& options) {
    const std::string_view prefix = options.AntiLoopPrefix;
    if (prefix.empty()) {
        return false;
    }
    // The scan looks for the prefix's last character: a blank, which most
    // prefixes begin with, stands between every word of a comment.
    const char last = prefix.back();
    for (std::size_t at = prefix.size() - 1; at < comment.size(); ++at) {
        const auto* hit =
            static_cast<const char*>(std::memchr(comment.data() + at, last, comment.size() - at));
        if (hit == nullptr) {
            return false;
        }
        at = static_cast<std::size_t>(hit - comment.data());
        const std::size_t start = at + 1 - prefix.size();
        if (comment.substr(start, prefix.size()) == prefix &&
            comment.substr(at + 1).starts_with(options.MyCall)) {
            return true;
        }
    }
    return false;
}

std::size_t LoopMarkKeeps(std::string_view comment, const RouterOptions& options) {
    std::size_t n = std::min(comment.size(), WorkingLength);
    // Drop the last word that reaches past the 25th character, and the
    // blanks before it; a comment without a blank from there on is cut to 24.
    if (n > WordCutLength) {
        while (n > 0 && comment[n - 1] != ' ' && n >= WordCutLength) {
            --n;
        }
        while (n > 0 && comment[n - 1] == ' ') {
            --n;
        }
    }
    if (options.AntiLoopPrefix.empty()) {
        return n;
    }
    const std::size_t markLength = options.AntiLoopPrefix.size() + options.MyCall.size();
    if (markLength + n > MarkedLength) {
        n = markLength < MarkedLength ? MarkedLength - markLength : 0;
    }
    return n;
}

void AddLoopMark(std::string& comment, const RouterOptions& options) {
    comment.resize(LoopMarkKeeps(comment, options));
    if (options.AntiLoopPrefix.empty()) {
        return;
    }
    comment += options.AntiLoopPrefix;
    comment += options.MyCall;
}
