#pragma once

#include "spots/WsjtxMessage.h"

#include <QByteArray>

// Reads one datagram of the decoders' UDP reporting protocol into a
// WsjtxMessage. Every number is big-endian, as Qt's QDataStream writes it
// in the stream version the schema names (2: Qt 5.2, 3: Qt 5.4); a text is
// a byte count and the UTF-8 bytes, 0xffffffff standing for a null text.
// A Decode from client "WSJT-X" in schema 2:
//
//   ad bc cb da  00 00 00 02  00 00 00 02     magic, schema, type
//   00 00 00 06  57 53 4a 54 2d 58            id "WSJT-X"
//   01  02 d2 1f 48  ff ff ff f4              new, time 13:08:45, snr -12
//   3f c9 99 99 99 99 99 9a  00 00 04 d2      delta time 0.2 s, 1234 Hz
//   00 00 00 01  7e                           mode "~"
//   00 00 00 0d  43 51 20 4b 31 41 42 43 ...  message "CQ K1ABC FN42"
//   00 00                                     low confidence, off air
//
// Nothing in a datagram is trusted: a text whose length is negative or
// runs past the end is refused, and so is a datagram that ends inside a
// field. Fields that newer clients add at the end of a message may be
// missing, as the protocol allows for clients older than them; what
// follows the fields read here is skipped.
class CWsjtxReader {
  public:
    // Larger than any message a client sends (the largest, a logged QSO
    // with its ADIF record, stays under a few kB); anything longer is
    // refused unread.
    static constexpr int MaxDatagram = 32 * 1024;

    // Fills message and answers WsjtxRefusal::None, or tells why the
    // datagram was refused (message is then left partly filled).
    static WsjtxRefusal Read(const QByteArray& datagram, WsjtxMessage& message);
};
