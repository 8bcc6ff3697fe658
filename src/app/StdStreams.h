#pragma once

#include <string_view>

// Whole writes to standard output and standard error that never stop the
// program: a closed pipe or a full disk loses the text, nothing else.
namespace StdStreams {

void Output(std::string_view text);
void Error(std::string_view text);

} // namespace StdStreams
