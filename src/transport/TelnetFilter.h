#pragma once

#include <functional>

// The telnet option refusal applied to every chunk read from a TCP peer.
//
// Every "do" request is refused with "won't" for the same option, at once;
// the command bytes themselves are blanked so that they never reach a view or
// a router as binary, while the option byte after them is left as it is:
//
//   received  FF FD 18 'l' 'o' 'g' ...   (IAC DO TERMINAL-TYPE, "login:")
//   answered  FF FC 18                   (IAC WONT TERMINAL-TYPE)
//   passed on 20 20 18 'l' 'o' 'g' ...
//
// "Will", "won't" and "don't" are not answered. A command split across two
// chunks is not recognised: each chunk is filtered on its own.
class CTelnetFilter {
  public:
    static constexpr unsigned char Iac = 255;
    static constexpr unsigned char Do = 253;
    static constexpr unsigned char Wont = 252;

    using Answer = std::function<void(const char* data, int len)>;

    // Filters the n bytes of data in place; answer receives each 3-byte
    // refusal as soon as its request is found.
    static void Apply(char* data, int n, const Answer& answer);
};
