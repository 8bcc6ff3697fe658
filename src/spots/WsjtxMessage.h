#pragma once

#include <cstdint>
#include <string>

// One datagram of the digital-mode decoders' UDP reporting protocol
// (WSJT-X, JTDX, MSHV), as far as this program uses it. Only the members
// of Kind are meaningful; the others keep what an earlier message left, so
// that one message value can be read into again and again without
// allocating.
enum class WsjtxKind {
    Heartbeat, // type 0
    Status,    // type 1
    Decode,    // type 2
    Clear,     // type 3
    Close,     // type 6
    Ignored,   // every other type, known or not: skipped without a word
};

// Why a datagram was not read. Each is counted; none stops the port.
enum class WsjtxRefusal {
    None,
    Empty,       // 0 bytes
    TooLong,     // longer than the largest datagram a client sends
    NotProtocol, // no magic number
    Schema,      // a schema other than 2 or 3
    Truncated,   // ends inside a field
    BadLength,   // a text's length is negative or runs past the end
};

struct WsjtxHeartbeat {
    std::uint32_t MaxSchema = 2; // absent from clients older than schema 3
    std::string Version;
    std::string Revision;
};

struct WsjtxStatus {
    std::uint64_t DialFrequencyHz = 0;
    std::string Mode; // "FT8"
    std::string DxCall;
    bool TxEnabled = false;
    bool Transmitting = false;
    bool Decoding = false;
    std::string DeCall; // the station's own call
    std::string DeGrid;
};

struct WsjtxDecode {
    bool New = true; // false for a decode sent again on request
    // Milliseconds since midnight UTC; TimeUnknown for a null time.
    std::uint32_t TimeMs = 0;
    std::int32_t Snr = 0;
    double DeltaTime = 0.0;
    std::uint32_t DeltaFrequencyHz = 0; // audio offset above the dial
    std::string Mode;                   // one symbol, "~" for FT8 (see WsjtxSpotMaker)
    std::string Message;                // "CQ DX K1ABC FN42"
    bool LowConfidence = false;
    bool OffAir = false; // played back from a recording

    static constexpr std::uint32_t TimeUnknown = 0xffffffffU;
};

struct WsjtxMessage {
    WsjtxKind Kind = WsjtxKind::Ignored;
    std::uint32_t Schema = 0;
    std::uint32_t Type = 0; // as sent, also for Ignored
    std::string Id;         // the client's unique key: one per running decoder
    WsjtxHeartbeat Heartbeat;
    WsjtxStatus Status;
    WsjtxDecode Decode;
};
