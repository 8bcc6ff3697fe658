#include "spots/LoopMark.h"

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
    for (auto at = comment.find(prefix); at != std::string_view::npos;
         at = comment.find(prefix, at + 1)) {
        if (comment.substr(at + prefix.size()).starts_with(options.MyCall)) {
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
