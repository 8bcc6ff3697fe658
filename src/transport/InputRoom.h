#pragma once

class CPortHandler;

// How much received data a port's ring buffer may take now.
//
// The network ports read only what fits, so that a fast peer is slowed by
// TCP flow control (or the kernel's datagram queue) instead of overrunning
// the ring; taking lines makes room (the document calls OnInputTaken after
// each). When nothing can make room because the full ring holds no line end,
// one byte more is taken: the ring then resets, which drops only a single
// line longer than the whole buffer, and the stream never stalls.
class CInputRoom {
  public:
    // The part of `wanted` bytes that may be put now: all of it, the free
    // space, nothing while a full ring holds lines, or the one byte that
    // resets a full ring holding none.
    static int Bytes(CPortHandler& port, int wanted);
    // Whether a whole datagram of n bytes may be put now: it fits, or no
    // line is waiting that taking could make room with.
    static bool Fits(CPortHandler& port, int n);
    // After a line was taken: reading on pays when the ring is half free or
    // holds no more lines (smaller gains wait for the next line taken).
    static bool WorthReading(CPortHandler& port);
};
