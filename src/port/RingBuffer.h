#pragma once

#include <string>
#include <string_view>
#include <vector>

class CSetupFile;

// The received bytes of one port, waiting for its router.
//
// The transport Puts what it received; the router takes it out a line at a
// time (GetLine) or all at once (GetAll, PassThru). LineCount counts the CR
// and LF bytes held, so the port can tell cheaply whether a whole line waits.
// A ring holds at most size-1 bytes; one byte more resets it (the transports
// only Put what FreeSpace allows, so this happens only to a single line
// longer than the whole buffer). Allocated once per SetSize; nothing is
// allocated per byte or per line, and bytes move in blocks (memcpy), not
// one at a time.
class CRingBuffer {
  public:
    CRingBuffer() = default;
    explicit CRingBuffer(CSetupFile& setup); // reads "BufferSize"

    int SetSize(int n);
    void Save(CSetupFile& setup) const;

    void Put(const char* data, int len);
    char GetChar();
    // One line without its CR, LF or NUL; valid until the next Get.
    std::string_view GetLine();
    // Everything held; LastLength() bytes, CR/LF/NUL included.
    std::string_view GetAll();

    int LastLength() const { return m_lastLength; }
    int LineCount() const { return m_lineCount; }
    bool HasData() const { return m_readPos != m_writePos; }
    void Reset();

    int Size() const { return m_size; }
    // Bytes that can be Put without the full-ring reset.
    int FreeSpace() const;
    // The send buffer a port uses for SendText without text.
    std::string& Spare() { return m_spare; }

  private:
    void Store(const char* data, std::size_t n);

    int m_lastLength = 0;
    int m_size = 0;
    std::string m_spare;
    int m_lineCount = 0;
    int m_writePos = 0;
    int m_readPos = 0;
    std::vector<char> m_line;
    std::vector<char> m_ring;
};
