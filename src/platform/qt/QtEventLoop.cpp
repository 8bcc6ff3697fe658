#include "platform/qt/QtEventLoop.h"

#include <QMetaObject>
#include <QTimer>

QtEventLoop::QtEventLoop(TimerId firstId) : m_ids(firstId) {}

QtEventLoop::~QtEventLoop() {
    for (auto& [id, timer] : m_timers) {
        delete timer;
    }
}

void QtEventLoop::Post(std::function<void()> fn) {
    QMetaObject::invokeMethod(&m_context, std::move(fn), Qt::QueuedConnection);
}

IEventLoop::TimerId QtEventLoop::Add(int ms, bool single, std::function<void()> fn) {
    const TimerId id = m_ids.Next([this](TimerId used) { return m_timers.count(used) != 0; });
    auto* timer = new QTimer(&m_context);
    timer->setInterval(ms);
    timer->setSingleShot(single);
    QObject::connect(timer, &QTimer::timeout, &m_context, [this, id, single, fn = std::move(fn)] {
        if (single) {
            // The callback may start new timers; drop this one first.
            auto it = m_timers.find(id);
            if (it != m_timers.end()) {
                it->second->deleteLater();
                m_timers.erase(it);
            }
        }
        fn();
    });
    m_timers[id] = timer;
    timer->start();
    return id;
}

IEventLoop::TimerId QtEventLoop::StartTimer(int intervalMs, std::function<void()> fn) {
    return Add(intervalMs, false, std::move(fn));
}

IEventLoop::TimerId QtEventLoop::SingleShot(int delayMs, std::function<void()> fn) {
    return Add(delayMs, true, std::move(fn));
}

void QtEventLoop::StopTimer(TimerId id) {
    auto it = m_timers.find(id);
    if (it == m_timers.end()) {
        return;
    }
    it->second->stop();
    it->second->deleteLater();
    m_timers.erase(it);
}
