#pragma once

#include "spots/JsonSpotReader.h"
#include "spots/SourceKind.h"
#include "spots/SpotFields.h"

#include <array>
#include <string>
#include <string_view>

struct FieldClasses;
struct SpotClasses;

// Breaks received spot lines into SpotFields and checks them. Columns count
// from 0. The fields view the parser's own buffer and stay valid until the
// next parse; every parse clears the record first.
//
// "DX de" user layout (frequency ends at 23, call at 26, comment at 39,
// time at 70):
//   DX de K1ABC:     14025.0  DL1XYZ       cq cq                          1234Z
// "DX de" Clusse layout (call at 26, time at 39, comment at 45, ends at BEL):
//   DX de K1ABC:     14025.0  DL1XYZ       1234Z cq cq<BEL>
// A "DX de" line that does not fit its layout's columns is read by its
// fields instead (other nodes' layouts, wider lines, a locator after the
// time); leading blanks never start a comment:
//   DX de K1ABC:        14025.0   DL1XYZ        cq cq                       1234Z FN42
// Node frames ("^"-separated; AR17 has one more field after its name, PC61
// the spotter's address after the origin node):
//   PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq^K1ABC^NODE1^H99^~
//   AR17^NODE1^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq^K1ABC^NODE1^H99^~
//   PC61^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq^K1ABC^NODE1^192.0.2.1^H30^~
// IRC channel spot (text after the colour lead-in: spotter at 0, frequency
// ending at 19, call at 21, comment at 34, time at 62):
//   :K1ABC!k@host PRIVMSG #CQDX :<03>1,15 K1ABC        14025.0 DL1XYZ ...  1234
//
// A JSON spot object, one a line (see CJsonSpotReader):
//   {"spotter":"K1ABC","spotted":"DL1XYZ","frequency":14025.0,"message":"cq
//   cq","when":"2026-12-07T12:34:00Z"}
//
// The parse knows no router's options: a spot is parsed once where it
// enters, and each destination applies its own spotter options to the
// fields (SpotterOptions).
class CSpotParser {
  public:
    CSpotParser();

    // The parser of a source kind's spot lines: the one place that says
    // which layout each kind sends. False for kinds that carry no spots.
    bool Parse(SourceKind source, std::string_view line, SpotFields& spot);

    bool ParseClusseSpot(std::string_view line, SpotFields& spot);
    bool ParseUserSpot(std::string_view line, SpotFields& spot);
    bool ParseNodeSpot(std::string_view line, SpotFields& spot);
    // Works on a copy of the line with the top bit of every byte cleared.
    bool ParseIrcSpot(std::string_view line, SpotFields& spot);

    // True for a line that begins as a spot does ("DX de", or a PC11, PC61
    // or AR17 frame), whether or not it can be read as one.
    static bool LooksLikeSpot(std::string_view line);

    // The checks every parser ends with.
    static bool ValidateSpot(const SpotFields& spot);

  private:
    // Copies at most maxLength characters of text into the parse buffer.
    void Load(std::string_view text, std::size_t maxLength);
    bool ParseUserColumns(std::string_view line, SpotFields& spot);
    bool ParseClusseColumns(std::string_view line, SpotFields& spot);
    // "DX de", spotter up to ":", frequency, call, then either the time
    // right after the call and the comment up to BEL (timeAfterCall), or
    // the comment up to the last field of four digits and "Z", the time.
    bool ParseDxDeFields(std::string_view line, SpotFields& spot, bool timeAfterCall);
    // The common start of the "DX de" layouts: the buffer holds at most
    // maxLength characters of the line, Spotter and Frequency are set and
    // pos is on the blank after the frequency. classes gets those of the
    // spotter and the frequency.
    bool ParseDxDeStart(std::string_view line, SpotFields& spot, std::size_t& pos,
                        std::size_t maxLength, SpotClasses& classes);
    // The frequency of every text layout: the run of non-blanks after the
    // blanks from pos, which a blank must end ("  14025.0 "); pos is left
    // on that blank. classes gets those of its characters.
    bool TakeFrequency(std::size_t& pos, SpotFields& spot, FieldClasses& classes) const;
    std::string_view Text() const { return {m_buffer.data(), m_length}; }
    // The buffer's characters [from, to), clamped to the text.
    std::string_view Slice(std::size_t from, std::size_t to) const;
    // As Slice, converting the characters to upper case in the buffer.
    std::string_view UpperSlice(std::size_t from, std::size_t to);
    // The end of the run of non-blanks from pos, converted to upper case in
    // the buffer; classes gets those of its characters.
    std::size_t UpperRun(std::size_t pos, FieldClasses& classes);

    // The text parsed: at most the widest layout's 255 characters (a fixed
    // array, so that loading a line is one copy).
    std::array<char, 256> m_buffer{};
    std::size_t m_length = 0;
    std::string m_ircLine;
    CJsonSpotReader m_json;
};
