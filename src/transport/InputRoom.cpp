#include "transport/InputRoom.h"

#include "port/PortHandler.h"

int CInputRoom::Bytes(CPortHandler& port, int wanted) {
    const CRingBuffer& ring = port.RingBuffer();
    const int free = ring.FreeSpace();
    if (wanted <= free) {
        return wanted;
    }
    if (free > 0) {
        return free;
    }
    return ring.LineCount() > 0 ? 0 : 1;
}

bool CInputRoom::Fits(CPortHandler& port, int n) {
    const CRingBuffer& ring = port.RingBuffer();
    return n <= ring.FreeSpace() || ring.LineCount() == 0;
}

bool CInputRoom::WorthReading(CPortHandler& port) {
    const CRingBuffer& ring = port.RingBuffer();
    return ring.LineCount() == 0 || ring.FreeSpace() >= ring.Size() / 2;
}
