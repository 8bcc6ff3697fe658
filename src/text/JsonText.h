#pragma once

#include <string>
#include <string_view>

// Appends text as a JSON string, quotes included:  DL1ABC "x"  ->  "DL1ABC \"x\""
// Valid UTF-8 passes as it is; a byte that is not part of a valid sequence
// (8-bit text of an older peer) is read as Latin-1 and written as \u00XX, so
// the output is always valid JSON.
void AppendJsonString(std::string& out, std::string_view text);
