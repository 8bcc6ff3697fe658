#pragma once

#include <functional>

// Runs a port's read step without nesting.
//
// A read step hands data to the port base, which may call back into the
// transport (a router that took a line asks it to read on). Such a request
// while the step runs does not start a second step inside the first; it makes
// the running step go round once more.
class CReadPump {
  public:
    explicit CReadPump(std::function<void()> step) : m_step(std::move(step)) {}

    void Run();

  private:
    std::function<void()> m_step;
    bool m_running = false;
    bool m_again = false;
};
