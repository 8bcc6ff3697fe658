#pragma once

#include <string>

// Opens a file that a setup or the command line names (a country file, a
// setup file, a log file, a serial device) so that it can never hold up the
// program: the open does not wait (a named pipe or a device answers at
// once), and a file of another kind than the one asked for is refused, as a
// pipe given for a country file would otherwise be read from for ever.
namespace NamedFile {

enum class Kind {
    Regular,
    // A log: also a pipe that another program reads, or a character device
    // (/dev/null, a terminal); all are written without waiting.
    Stream,
    CharDevice,
};

struct Opened {
    // -1 when the file was not opened.
    int fd = -1;
    // The system's error number, 0 for a file of the wrong kind.
    int error = 0;
    // The file is there but of another kind: a directory, a pipe, a device.
    bool wrongKind = false;
    // "is a directory", "is not a regular file", "is not a character
    // device", "is not a file, pipe or character device", or the system's
    // reason ("No such file or directory").
    std::string why;
};

// Opens path with flags plus O_NONBLOCK and O_CLOEXEC (mode 0666 where
// O_CREAT creates it).
Opened Open(const std::string& path, int flags, Kind kind);

} // namespace NamedFile
