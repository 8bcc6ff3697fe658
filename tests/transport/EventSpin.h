#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QIODevice>
#include <QTimer>

#include <functional>
#include <string>

// Runs Qt's event loop until done() holds or timeoutMs have passed; true when
// done() held. The wait ends on real events, never on a sleep.
inline bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(timeoutMs);
    while (!done()) {
        if (!deadline.isActive()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Serves the events that are already due, without waiting for more.
inline void ServePendingEvents() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
    }
}

// Reads from a peer's socket until it holds n bytes or the wait runs out.
inline std::string ReadBytes(QIODevice& peer, std::size_t n, int timeoutMs = 5000) {
    std::string got;
    SpinUntil(
        [&] {
            const QByteArray chunk = peer.readAll();
            got.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
            return got.size() >= n;
        },
        timeoutMs);
    return got;
}
