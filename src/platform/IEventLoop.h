#pragma once

#include <functional>

// The one event-loop thread that runs the whole program.
//
// Responsibilities: queued calls (the stand-in for posted window messages) and
// repeating or single-shot timers. Everything the core does happens inside a
// callback of this loop, so the core never needs a lock.
//
// Collaborators: the document (tick timer, port-data requests), the port base
// (reconnect wait), the transports. The real loop is Qt's; tests use
// ManualEventLoop, whose time is advanced by hand.
class IEventLoop {
  public:
    using TimerId = int;

    virtual ~IEventLoop() = default;

    // Runs fn later, after the current callback has returned, in posting order.
    virtual void Post(std::function<void()> fn) = 0;

    // Calls fn every intervalMs milliseconds until StopTimer. Returns a positive
    // id that no running timer holds.
    virtual TimerId StartTimer(int intervalMs, std::function<void()> fn) = 0;

    // Calls fn once after delayMs milliseconds unless stopped first. Returns an
    // id as StartTimer does.
    virtual TimerId SingleShot(int delayMs, std::function<void()> fn) = 0;

    // Stops a timer; an unknown or already finished id is ignored.
    virtual void StopTimer(TimerId id) = 0;
};
