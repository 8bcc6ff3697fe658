#include "port/RingBuffer.h"

#include "setup/SetupFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

int CountLineEnds(const char* data, std::size_t len) {
    int count = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen bytes a step: a line holds a CR and an LF at most, so a search
    // for each that starts again after every hit costs more than a count.
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= len; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const int mask =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        // A block holds a line end or two: clearing bits one at a time is
        // cheaper than a population count without the processor's own.
        for (auto bits = static_cast<unsigned>(mask); bits != 0; bits &= bits - 1) {
            ++count;
        }
    }
#endif
    for (; i < len; ++i) {
        count += IsLineEnd(data[i]) ? 1 : 0;
    }
    return count;
}

// The offset of the first CR, LF or NUL in data, or len. Sixteen bytes a
// step where the processor compares them at once (every x86-64 does), else
// eight: a line is scanned in a few steps instead of eighty.
std::size_t FindLineStop(const char* data, std::size_t len) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    for (; i + 16 <= len; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i hits = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)), _mm_cmpeq_epi8(v, nul));
        if (const int mask = _mm_movemask_epi8(hits); mask != 0) {
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#else
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t highs = 0x8080808080808080u;
    const auto hasZeroByte = [](std::uint64_t v) { return (v - ones) & ~v & highs; };
    for (; i + 8 <= len; i += 8) {
        std::uint64_t v;
        std::memcpy(&v, data + i, 8);
        if ((hasZeroByte(v) | hasZeroByte(v ^ (ones * '\r')) | hasZeroByte(v ^ (ones * '\n'))) !=
            0) {
            break;
        }
    }
#endif
    while (i < len && data[i] != '\0' && !IsLineEnd(data[i])) {
        ++i;
    }
    return i;
}

} // namespace

CRingBuffer::CRingBuffer(CSetupFile& setup) {
    SetSize(setup.GetInt("BufferSize"));
}

// A size below 1 leaves a ring that stores nothing, so a damaged setup line
// cannot make the port index outside its storage.
int CRingBuffer::SetSize(int n) {
    m_size = n > 0 ? n : 0;
    const auto bytes = static_cast<std::size_t>(m_size);
    m_ring = std::vector<char>(bytes);
    m_line = std::vector<char>(bytes);
    m_spare = std::string();
    m_spare.reserve(bytes);
    m_lastLength = 0;
    Reset();
    return 1;
}

//   BufferSize=32000
void CRingBuffer::Save(CSetupFile& setup) const {
    setup.PutInt("BufferSize", m_size);
}

void CRingBuffer::Put(const char* data, int len) {
    if (m_size == 0) {
        return;
    }
    auto left = static_cast<std::size_t>(std::max(len, 0));
    while (left > 0) {
        // One byte more than the free space fills the ring: a line longer
        // than the whole ring cannot be routed, so everything held is
        // dropped and storing starts again with the next byte.
        const auto room = static_cast<std::size_t>(FreeSpace());
        const bool fills = left > room;
        const std::size_t n = fills ? room + 1 : left;
        Store(data, n);
        data += n;
        left -= n;
        if (fills) {
            Reset();
        }
    }
}

// Copies n bytes (at most the ring's size) in at the write position, in two
// pieces where the storage ends.
void CRingBuffer::Store(const char* data, std::size_t n) {
    m_lineCount += CountLineEnds(data, n);
    const auto at = static_cast<std::size_t>(m_writePos);
    const std::size_t first = std::min(n, static_cast<std::size_t>(m_size) - at);
    std::memcpy(m_ring.data() + at, data, first);
    std::memcpy(m_ring.data(), data + first, n - first);
    m_writePos = static_cast<int>((at + n) % static_cast<std::size_t>(m_size));
}

char CRingBuffer::GetChar() {
    if (!HasData()) {
        return '\0';
    }
    const char c = m_ring[static_cast<std::size_t>(m_readPos)];
    if (++m_readPos == m_size) {
        m_readPos = 0;
    }
    return c;
}

std::string_view CRingBuffer::GetLine() {
    std::size_t length = 0;
    // The held bytes lie in at most two pieces: to the end of the storage,
    // then from its start.
    while (HasData()) {
        const auto at = static_cast<std::size_t>(m_readPos);
        const std::size_t piece =
            static_cast<std::size_t>(m_writePos > m_readPos ? m_writePos : m_size) - at;
        const char* from = m_ring.data() + at;
        const std::size_t stop = FindLineStop(from, piece);
        std::memcpy(m_line.data() + length, from, stop);
        length += stop;
        const bool ended = stop < piece;
        m_readPos =
            static_cast<int>((at + stop + (ended ? 1 : 0)) % static_cast<std::size_t>(m_size));
        if (ended) {
            if (from[stop] != '\0') {
                --m_lineCount;
            }
            break;
        }
    }
    return {m_line.data(), length};
}

std::string_view CRingBuffer::GetAll() {
    m_lastLength = 0;
    while (HasData()) {
        const auto at = static_cast<std::size_t>(m_readPos);
        const std::size_t piece =
            static_cast<std::size_t>(m_writePos > m_readPos ? m_writePos : m_size) - at;
        std::memcpy(m_line.data() + m_lastLength, m_ring.data() + at, piece);
        m_lineCount -= CountLineEnds(m_ring.data() + at, piece);
        m_lastLength += static_cast<int>(piece);
        m_readPos = static_cast<int>((at + piece) % static_cast<std::size_t>(m_size));
    }
    return {m_line.data(), static_cast<std::size_t>(m_lastLength)};
}

void CRingBuffer::Reset() {
    m_readPos = 0;
    m_writePos = 0;
    m_lineCount = 0;
    m_spare.clear();
}

int CRingBuffer::FreeSpace() const {
    if (m_size == 0) {
        return 0;
    }
    const int held = (m_writePos - m_readPos + m_size) % m_size;
    return m_size - 1 - held;
}
