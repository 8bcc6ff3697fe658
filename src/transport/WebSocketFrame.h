#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// One WebSocket frame as the web port's streams carry it.
//
// The server's frames are unmasked, so one encoding serves every stream:
//
//   81 05 68 65 6c 6c 6f            text "hello" (FIN, opcode 1, length 5)
//   81 7e 01 2c <300 bytes>         a longer text: 126, then a 16-bit length
//
// A client's frames must be masked: the length byte's high bit is set and
// four key bytes come before the payload, which is XORed with them in turn:
//
//   89 82 37 fa 21 3d 7f 9f         ping "He"
//
// Clients have nothing to say but pings, pongs and a close, so a frame whose
// payload passes MaxPayload is refused before it is held.
struct WebSocketFrame {
    enum class Opcode : std::uint8_t {
        Continuation = 0,
        Text = 1,
        Binary = 2,
        Close = 8,
        Ping = 9,
        Pong = 10
    };
    // TooLarge: the payload passes MaxPayload; Bad: the frame breaks the
    // protocol (unmasked, reserved bits or opcode, a split or long control).
    enum class State { More, Done, TooLarge, Bad };
    static constexpr std::size_t MaxPayload = 1024;
    // The close codes the server sends.
    static constexpr std::uint16_t ProtocolError = 1002;
    static constexpr std::uint16_t TooBig = 1009;

    Opcode opcode = Opcode::Text;
    bool fin = true;
    std::string payload; // unmasked
    // Bytes of the whole frame.
    std::size_t length = 0;

    // Reads a client's frame from the start of buffered. More: the frame
    // has not come whole yet.
    State Parse(std::string_view buffered);

    // Appends one unmasked, final frame.
    static void Append(std::string& out, Opcode opcode, std::string_view payload);
    // A close frame carrying code.
    static std::string Close(std::uint16_t code);
};
