#pragma once

#include <QtGlobal>

class QTcpSocket;

// Sends on a connected TCP socket in the turn of the event loop that has the
// bytes, and keeps routed traffic free of Nagle's wait.
//
// Qt's buffered write holds the bytes until a write notifier fires on a later
// turn, and turning that notifier on and off wakes the loop twice more; a
// spot at a few thousand a second then costs several turns and waits behind
// whatever else the two cores are doing. While Qt holds nothing for the
// socket, the bytes go straight to the kernel; what it does not take, or
// anything sent while Qt still holds bytes, goes through Qt's buffer, so the
// order on the wire stays and Qt reports a failure as before.
//
// Collaborators: a caller session, which writes whole batches through it;
// a client link, which only asks for low delay (it still writes through Qt).
class CStreamSend {
  public:
    // Takes len bytes; -1 when Qt refuses them (the socket is not open).
    static qint64 Write(QTcpSocket& socket, const char* data, qint64 len);
    // A stream that carries spots: the program gathers its own writes per
    // batch, so waiting for the peer's acknowledgement only delays them.
    static void LowDelay(QTcpSocket& socket);
};
