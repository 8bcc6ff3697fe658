#pragma once

#include "text/FlatJsonReader.h"
#include "text/JsonReader.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// One reception report of the PSK Reporter feed, as its broker publishes it:
//
//   {"sq":30142870791,"f":14074123,"md":"FT8","rp":-12,"t":1733695140,
//    "sc":"JA1XYZ","sl":"PM95","rc":"W3OA","rl":"FN20","sa":339,"ra":291,
//    "b":"20m"}
//
// f: frequency in Hz; md: mode; rp: SNR in dB; t: Unix time; sc/sl: the
// sender's call and locator; rc/rl: the receiver's; sa/ra: their DXCC
// entity numbers; b: the band. Calls are read in capitals.
struct PskReport {
    std::string_view Sender;
    std::string_view SenderLocator;
    std::string_view Receiver;
    std::string_view ReceiverLocator;
    std::string_view Mode;
    std::string_view Band; // empty when the report names none
    std::uint64_t Hz = 0;
    int Snr = 0;
    bool HasSnr = false;
    std::int64_t Time = 0;
    int SenderDxcc = -1;   // -1 when absent
    int ReceiverDxcc = -1; // -1 when absent
};

enum class PskRefusal {
    None,
    NotJson,   // not one JSON object
    Shape,     // a needed member missing, of the wrong type, or no call
    Frequency, // f outside 1 kHz to 300 GHz
};

// "not JSON", "not a report", "frequency out of range".
std::string_view PskRefusalText(PskRefusal refusal);

// Reports come by the thousand a second, so the reader takes the feed's
// flat layout in one pass and leaves any other layout (escapes, nested
// members) to the full JSON reader, with the same verdicts.
class CPskReportReader {
  public:
    static constexpr std::uint64_t MinHz = 1'000;
    static constexpr std::uint64_t MaxHz = 300'000'000'000;

    CPskReportReader();

    // The report fields view the reader's buffers (or text) until the next
    // Read.
    PskRefusal Read(std::string_view text, PskReport& report);
    // The same through the full JSON reader alone, whatever the layout.
    PskRefusal ReadAnyLayout(std::string_view text, PskReport& report);

  private:
    // In the order of the feed's payloads.
    enum Field {
        Hz,
        Mode,
        Snr,
        Time,
        Sender,
        SenderLoc,
        Receiver,
        ReceiverLoc,
        SenderDxcc,
        ReceiverDxcc,
        Band,
        FieldCount
    };

    // The report of the members found.
    PskRefusal Take(PskReport& report);
    std::optional<std::string_view> Text(Field field) const;
    std::string_view Word(Field field) const;
    bool WholeNumber(Field field, double low, double high, double& value) const;

    CFlatJsonReader m_flat;
    CJsonReader m_json;
    std::array<const CJsonReader::Member*, FieldCount> m_members{};
    std::string m_sender;
    std::string m_receiver;
};
