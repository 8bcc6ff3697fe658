#pragma once

#include <string>

// What a listening port does when the process has no file descriptor left
// for a caller.
//
// The kernel keeps such callers waiting in the listen queue, and a listener
// that only retries would spin. One descriptor is held in reserve: when
// accepting fails, the reserve is given up for a moment to accept each
// waiting caller, tell it so and close it, so that nobody hangs. The owner
// pauses accepting for a while afterwards and tries again.
class CDescriptorShortage {
  public:
    CDescriptorShortage();
    ~CDescriptorShortage();
    CDescriptorShortage(const CDescriptorShortage&) = delete;
    CDescriptorShortage& operator=(const CDescriptorShortage&) = delete;

    // Accepts and closes every caller waiting on the listening descriptor,
    // each told line first. Returns how many.
    int RefuseWaiting(int listener, const std::string& line);
    // "out of file descriptors: 64 open, limit 64"; the reserve lends the
    // descriptor that counting them takes.
    std::string Describe();

  private:
    void Reserve();

    int m_reserve = -1;
};
