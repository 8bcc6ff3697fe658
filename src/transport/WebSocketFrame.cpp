#include "transport/WebSocketFrame.h"

WebSocketFrame::State WebSocketFrame::Parse(std::string_view buffered) {
    if (buffered.size() < 2) {
        return State::More;
    }
    const auto first = static_cast<std::uint8_t>(buffered[0]);
    const auto second = static_cast<std::uint8_t>(buffered[1]);
    fin = (first & 0x80) != 0;
    const std::uint8_t code = first & 0x0f;
    const bool control = code >= 8;
    if ((first & 0x70) != 0 || (code > 2 && code < 8) || code > 10 || (second & 0x80) == 0) {
        return State::Bad;
    }
    opcode = static_cast<Opcode>(code);
    std::uint64_t size = second & 0x7f;
    std::size_t head = 2;
    if (size >= 126) {
        const std::size_t bytes = size == 126 ? 2 : 8;
        if (control) {
            return State::Bad;
        }
        if (buffered.size() < head + bytes) {
            return State::More;
        }
        size = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            size = size << 8 | static_cast<std::uint8_t>(buffered[head + i]);
        }
        head += bytes;
        if (size >> 63 != 0) {
            return State::Bad;
        }
    }
    if (control && !fin) {
        return State::Bad;
    }
    if (size > MaxPayload) {
        return State::TooLarge;
    }
    const std::size_t key = head;
    head += 4;
    if (buffered.size() < head + size) {
        return State::More;
    }
    payload.assign(buffered.substr(head, size));
    for (std::size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<char>(payload[i] ^ buffered[key + i % 4]);
    }
    length = head + size;
    return State::Done;
}

void WebSocketFrame::Append(std::string& out, Opcode opcode, std::string_view payload) {
    out += static_cast<char>(0x80 | static_cast<std::uint8_t>(opcode));
    const std::uint64_t size = payload.size();
    if (size < 126) {
        out += static_cast<char>(size);
    } else {
        const int bytes = size <= 0xffff ? 2 : 8;
        out += static_cast<char>(bytes == 2 ? 126 : 127);
        for (int i = bytes - 1; i >= 0; --i) {
            out += static_cast<char>(size >> (8 * i) & 0xff);
        }
    }
    out += payload;
}

std::string WebSocketFrame::Close(std::uint16_t code) {
    const char bytes[] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xff)};
    std::string out;
    Append(out, Opcode::Close, std::string_view(bytes, 2));
    return out;
}
