#pragma once

#include <string_view>

// Writes to standard output and standard error that never stop the program
// and never lose text to a slow reader.
//
// The descriptors' own flags are never changed: on a terminal they share
// one open file description with standard input and with the shell. Text
// goes out through a non-blocking descriptor of the same file where one can
// be had; what a slow reader (a pipe not read for a while, a paused
// terminal) cannot take yet waits in a queue. While a LoopScope exists the
// event loop sends it as the reader takes more; outside one every write waits
// a bounded time for its text to go out. A closed pipe loses the text,
// nothing else.
namespace StdStreams {

void Output(std::string_view text);
void Error(std::string_view text);

// The event loop runs while this exists; at its end what still waits is
// sent, waiting at most a few seconds.
class LoopScope {
  public:
    LoopScope();
    ~LoopScope();
    LoopScope(const LoopScope&) = delete;
    LoopScope& operator=(const LoopScope&) = delete;
};

} // namespace StdStreams
