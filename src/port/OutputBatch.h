#pragma once

// Gathers what the outputs are given while a port routes one batch of
// received lines, so that each output writes once per batch instead of once
// per line.
//
// Responsibilities: the open batches (they nest: routing may route again),
// and the outputs holding gathered bytes, flushed in the order they first
// gathered when the outermost batch closes. That happens before the routing
// port returns to the event loop, so batching delays no line past the turn
// that produced it.
//
// Collaborators: the port that routes (opens a Scope around its batch), the
// outputs' write buffers (IOutput), all on the one event-loop thread.
class COutputBatch {
  public:
    // A write buffer that gathers while a batch is open.
    class IOutput {
      public:
        // Writes what was gathered.
        virtual void FlushBatch() = 0;

      protected:
        ~IOutput() = default;
    };

    class Scope {
      public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };

    // True while a batch is open: outputs gather instead of writing.
    static bool IsOpen();
    // Said by the routing loop before its outermost batch closes: more
    // lines wait for the next turn. An output may then leave its bytes to a
    // write on a later turn, gathered with the next batches' (flat out), and
    // otherwise sends them at once (a spot at a time).
    static void SetMoreWaiting(bool more);
    static bool MoreWaiting();
    // Has output flushed when the outermost batch closes; an output enlists
    // once, when it gathers its first bytes of the batch.
    static void Enlist(IOutput& output);
    // An output that goes away, or drops what it gathered, before the batch
    // closes.
    static void Forget(IOutput& output);
};
