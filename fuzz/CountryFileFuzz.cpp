// Any bytes as a country file: a message or a file that answers look-ups,
// never a crash; the lines of the input are looked up as calls.
#include "filters/CountryFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CCountryFile file;
    std::string error;
    const bool parsed = file.Parse(text, error);
    if (parsed != error.empty()) {
        __builtin_trap();
    }
    for (std::string_view call : {"K1ABC/MM", "VP2E/K1ABC", "EA8/DL1ABC/P", "UA3ABC/9", "MM/K1ABC",
                                  "K/1", "9/9", "/", "-#", ""}) {
        (void)file.ContinentOf(call);
    }
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        (void)file.ContinentOf(text.substr(start, end - start));
        start = end + 1;
    }
    return 0;
}
