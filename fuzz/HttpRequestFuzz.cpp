// Bytes a client sends to the web port, read as the server reads them: a
// head at the start of what is buffered, then the next one after it, with
// every accessor asked of each head read.
#include "transport/HttpRequest.h"

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
    return 0;
}
