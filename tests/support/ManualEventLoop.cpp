#include "support/ManualEventLoop.h"

void ManualEventLoop::Post(std::function<void()> fn) {
    m_posted.push_back(std::move(fn));
}

IEventLoop::TimerId ManualEventLoop::StartTimer(int intervalMs, std::function<void()> fn) {
    const TimerId id = NextId();
    m_timers[id] = Timer{m_now + intervalMs, intervalMs > 0 ? intervalMs : 1, std::move(fn)};
    return id;
}

IEventLoop::TimerId ManualEventLoop::SingleShot(int delayMs, std::function<void()> fn) {
    const TimerId id = NextId();
    m_timers[id] = Timer{m_now + delayMs, 0, std::move(fn)};
    return id;
}

IEventLoop::TimerId ManualEventLoop::NextId() {
    return m_ids.Next([this](TimerId used) { return m_timers.count(used) != 0; });
}

void ManualEventLoop::StopTimer(TimerId id) {
    m_timers.erase(id);
}

int ManualEventLoop::RunPosted(int maxCalls) {
    int ran = 0;
    while (!m_posted.empty() && ran < maxCalls) {
        auto fn = std::move(m_posted.front());
        m_posted.pop_front();
        fn();
        ++ran;
    }
    return ran;
}

void ManualEventLoop::Advance(std::int64_t ms) {
    const std::int64_t end = m_now + ms;
    RunPosted();
    for (;;) {
        auto next = m_timers.end();
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
            if (it->second.due <= end &&
                (next == m_timers.end() || it->second.due < next->second.due)) {
                next = it;
            }
        }
        if (next == m_timers.end()) {
            break;
        }
        m_now = next->second.due;
        const TimerId id = next->first;
        std::function<void()> fn = next->second.fn;
        if (next->second.interval == 0) {
            m_timers.erase(next);
        } else {
            next->second.due += next->second.interval;
        }
        (void)id;
        fn();
        RunPosted();
    }
    m_now = end;
}
