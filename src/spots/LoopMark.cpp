#include "spots/LoopMark.h"

#include <cstring>

namespace {

// The comment is worked on in an 80-byte buffer: 79 characters and the end.
constexpr std::size_t WorkingLength = 79;
// Comments longer than this are cut back at a word boundary first.
constexpr std::size_t WordCutLength = 25;
// Comment and mark together.
constexpr std::size_t MarkedLength = 30;

void RemoveTrailingBlanks(std::string& text) {
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
}

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

void AddLoopMark(std::string& comment, const RouterOptions& options) {
    if (comment.size() > WorkingLength) {
        comment.resize(WorkingLength);
    }
    // Drop the last word that reaches past the 25th character; a comment
    // without a blank from there on is cut to 24.
    if (comment.size() > WordCutLength) {
        while (!comment.empty() && comment.back() != ' ' && comment.size() >= WordCutLength) {
            comment.pop_back();
        }
        RemoveTrailingBlanks(comment);
    }
    if (options.AntiLoopPrefix.empty()) {
        return;
    }
    const std::size_t markLength = options.AntiLoopPrefix.size() + options.MyCall.size();
    if (markLength + comment.size() > MarkedLength) {
        comment.resize(markLength < MarkedLength ? MarkedLength - markLength : 0);
    }
    comment += options.AntiLoopPrefix;
    comment += options.MyCall;
}
