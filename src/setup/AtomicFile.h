#pragma once

#include <string>
#include <string_view>
#include <vector>

// Replaces a file's contents so that a reader, a crash or a full disk never
// sees a half-written file: the bytes go to a temporary file in the same
// folder, are forced to the disk, and the temporary file is then renamed over
// the old one. A symbolic link keeps pointing at the replaced file, and the
// old file's permissions are kept.
namespace AtomicFile {

// False on failure, with error saying what failed; the old file is then
// unchanged and no temporary file is left behind.
bool Replace(const std::string& path, std::string_view bytes, std::string& error);

// A save cut short by a kill leaves its temporary file ("setup.ini.A1b2C3")
// beside the file. Removes those of path that are older than a minute (a
// younger one may belong to a save running right now) and returns their
// paths.
std::vector<std::string> RemoveStale(const std::string& path);

} // namespace AtomicFile
