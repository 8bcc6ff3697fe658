// Bytes a client sends to the web port, read as the server reads them: a
// head at the start of what is buffered, then the next one after it, with
// every accessor asked of each head read; what follows the heads is read as
// the WebSocket frames of a stream, one after another.
#include "transport/HttpRequest.h"
#include "transport/WebSocketFrame.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view buffered(reinterpret_cast<const char*>(data), size);
    HttpRequest request;
    while (request.Parse(buffered) == HttpRequest::State::Done) {
        if (request.headLength == 0 || request.headLength > buffered.size()) {
            __builtin_trap();
        }
        (void)request.Param("limit");
        (void)request.HasParam("mode");
        (void)request.Header("if-none-match");
        (void)request.Token();
        buffered.remove_prefix(request.headLength);
    }
    WebSocketFrame frame;
    while (frame.Parse(buffered) == WebSocketFrame::State::Done) {
        if (frame.length < 6 || frame.length > buffered.size() ||
            frame.payload.size() > WebSocketFrame::MaxPayload) {
            __builtin_trap();
        }
        buffered.remove_prefix(frame.length);
    }
    return 0;
}
