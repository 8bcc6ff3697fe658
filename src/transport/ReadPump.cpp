#include "transport/ReadPump.h"

void CReadPump::Run() {
    if (m_running) {
        m_again = true;
        return;
    }
    m_running = true;
    do {
        m_again = false;
        m_step();
    } while (m_again);
    m_running = false;
}
