// The telnet receive path: option refusal on each chunk, the ring buffer,
// and lines taken out again.
#include "port/RingBuffer.h"
#include "transport/TelnetFilter.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    CRingBuffer ring;
    ring.SetSize(16 + data[0] * 4);
    std::vector<char> chunk;
    std::string answers;
    std::size_t pos = 1;
    while (pos < size) {
        const std::size_t n = std::min<std::size_t>(size - pos, 1 + data[pos - 1] % 97);
        chunk.assign(data + pos, data + pos + n);
        pos += n;
        CTelnetFilter::Apply(chunk.data(), static_cast<int>(chunk.size()),
                             [&answers](const char* a, int len) { answers.append(a, len); });
        const int room = ring.FreeSpace();
        ring.Put(chunk.data(), std::min<int>(room, static_cast<int>(chunk.size())));
        while (ring.LineCount() > 0) {
            ring.GetLine();
        }
    }
    ring.GetAll();
    return 0;
}
