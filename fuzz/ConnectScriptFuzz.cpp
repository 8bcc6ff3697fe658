// A script built from the input's first part, then fed the rest as received
// chunks: matching and escape expansion must hold for any bytes.
#include "port/ConnectScript.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    ConnectScriptValues values;
    values.autoReconnect = size > 0 && (data[0] & 1);
    // Fields and chunks are separated by NUL bytes.
    auto next = [&input]() {
        const std::size_t end = input.find('\0');
        std::string_view piece = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
        return std::string(piece);
    };
    for (int i = 0; i < CConnectScript::Steps && !input.empty(); ++i) {
        values.prompts[static_cast<std::size_t>(i)] = next();
        values.responses[static_cast<std::size_t>(i)] = next();
    }
    CConnectScript script;
    script.ApplyDialog(values);
    script.SetSubstitution(next());
    script.Start();
    while (!input.empty()) {
        script.Check(next());
        script.Check("");
        script.StatusStep();
    }
    return 0;
}
