#include "port/OutputPressure.h"

#include "platform/IClock.h"
#include "port/PortHandler.h"

#include <algorithm>
#include <string>

bool COutputPressure::Holds(const std::vector<CPortHandler*>& ports) {
    bool holds = false;
    // Every port is looked at, so that each hold's time and words stay true.
    for (CPortHandler* port : ports) {
        holds = Update(*port) || holds;
    }
    return holds;
}

void COutputPressure::Forget(const CPortHandler* port) {
    m_states.erase(std::remove_if(m_states.begin(), m_states.end(),
                                  [port](const State& s) { return s.port == port; }),
                   m_states.end());
}

bool COutputPressure::Update(CPortHandler& port) {
    const std::size_t queued = port.FullestOutputQueue();
    const std::int64_t now = m_clock.NowSeconds();
    auto s = std::find_if(m_states.begin(), m_states.end(),
                          [&port](const State& st) { return st.port == &port; });
    if (s == m_states.end()) {
        if (queued < HighWater) {
            return false;
        }
        m_states.push_back(State{&port, now});
        s = m_states.end() - 1;
    }
    if (queued < LowWater) {
        if (s->reported) {
            port.PrintMessage("output queue taken, input resumed after " +
                              std::to_string(now - s->since) + " s");
        }
        m_states.erase(s);
        return false;
    }
    if (s->spent) {
        return false;
    }
    if (now - s->since >= MaxHoldSeconds) {
        s->spent = true;
        s->reported = false;
        port.PrintMessage("output queue still full after " + std::to_string(now - s->since) +
                          " s, input no longer held back for it");
        return false;
    }
    if (!s->reported && now - s->since >= ReportSeconds) {
        s->reported = true;
        port.PrintMessage("output queue full, input held back");
    }
    return true;
}
