#pragma once

#include <string>
#include <string_view>
#include <vector>

// Reading a setup file from disk and splitting it into the lines the loader
// reads in turn.
namespace SetupReader {

// Every line of the file, each without its line end: LF, CR or CR LF ends a
// line, and a last line without an end is kept.
std::vector<std::string> Lines(std::string_view fileBytes);

// The whole file at path. Refuses what is not a regular file (a named pipe
// or a device would block the program) and anything larger than 16 MiB;
// false with error saying why.
bool ReadFile(const std::string& path, std::string& bytes, std::string& error);

} // namespace SetupReader
