#include "port/RingBuffer.h"

#include "setup/SetupFile.h"

namespace {

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
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
    for (int i = 0; i < len; ++i) {
        const char c = data[i];
        if (IsLineEnd(c)) {
            ++m_lineCount;
        }
        m_ring[static_cast<std::size_t>(m_writePos)] = c;
        if (++m_writePos == m_size) {
            m_writePos = 0;
        }
        if (m_writePos == m_readPos) {
            // Full: a line longer than the whole ring cannot be routed, so
            // everything held is dropped and storing starts again.
            Reset();
        }
    }
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
    int length = 0;
    while (length < m_size) {
        const char c = GetChar();
        if (c == '\0') {
            break;
        }
        if (IsLineEnd(c)) {
            --m_lineCount;
            break;
        }
        m_line[static_cast<std::size_t>(length++)] = c;
    }
    return {m_line.data(), static_cast<std::size_t>(length)};
}

std::string_view CRingBuffer::GetAll() {
    m_lastLength = 0;
    while (HasData() && m_lastLength < m_size) {
        const char c = GetChar();
        if (IsLineEnd(c)) {
            --m_lineCount;
        }
        m_line[static_cast<std::size_t>(m_lastLength++)] = c;
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
