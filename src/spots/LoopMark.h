#pragma once

#include "spots/RouterOptions.h"

#include <string>
#include <string_view>

// The anti-loop mark: AntiLoopPrefix followed by MyCall, appended to the
// comment of every spot this station forwards to a node or cluster. A spot
// whose comment already carries the mark has been here before.
//
//   "cq cq"  ->  "cq cq  <MYCALL"

// True when the prefix is not empty and the comment contains prefix + call
// (case-sensitive).
bool HasLoopMark(std::string_view comment, const RouterOptions& options);

// Shortens the comment to leave room for the mark and appends it; with an
// empty prefix the comment is only shortened. The result is at most 30
// characters whenever the mark itself is.
void AddLoopMark(std::string& comment, const RouterOptions& options);

// How many leading characters of the comment AddLoopMark keeps in front of
// the mark, for a formatter that writes them straight into its frame.
std::size_t LoopMarkKeeps(std::string_view comment, const RouterOptions& options);
