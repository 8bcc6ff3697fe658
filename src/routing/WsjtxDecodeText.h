#pragma once

#include <string_view>

// The station a decoded message names, read from the message's words.
struct WsjtxCaller {
    std::string_view Call;   // "K1ABC", brackets of a hashed call taken off
    std::string_view Grid;   // "FN42", or empty
    std::string_view Target; // "DX" of "CQ DX ...", or empty
};

// Reads the calling station out of a decoded digital-mode message. The
// messages are upper case words of a structured form:
//
//   CQ K1ABC FN42          a CQ, with the caller's grid
//   CQ DX K1ABC FN42       a CQ to a target: 1 to 4 letters, or 3 digits
//   CQ NA K1ABC            (a kHz figure asks for a reply there)
//   G4XYZ K1ABC -12        the second word is the caller
//   G4XYZ K1ABC RR73       ("RR73" is a sign-off, not a grid)
//
// The views point into the message given.
class CWsjtxDecodeText {
  public:
    // A CQ with a valid call; false for anything else.
    static bool ReadCq(std::string_view message, WsjtxCaller& caller);
    // The second word when it is a valid call, the third as its grid when
    // it is one; false when the second word is no call.
    static bool ReadSecondWord(std::string_view message, WsjtxCaller& caller);

    // 3 to 13 upper case letters, digits and "/", with a letter and a
    // digit, and not a grid square.
    static bool IsCall(std::string_view word);
    // A 4-character Maidenhead square ("FN42"), or 6 with the subsquare.
    static bool IsGrid(std::string_view word);
};
