#include "transport/InputRoom.h"

#include "port/PortHandler.h"

int CInputRoom::Bytes(CPortHandler& port, int wanted) {
    const CRingBuffer& ring = port.RingBuffer();
    const int free = ring.FreeSpace();
    if (wanted <= free) {
        return wanted;
    }
    if (ring.LineCount() > 0) {
        return free;
    }
    return wanted;
}

bool CInputRoom::WorthReading(CPortHandler& port) {
    const CRingBuffer& ring = port.RingBuffer();
    return ring.LineCount() == 0 || ring.FreeSpace() >= ring.Size() / 2;
}
