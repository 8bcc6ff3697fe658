#pragma once

#include <QAbstractSocket>

#include <string>

// The wording of socket failures in a port's view.
//
//   [TEL: Socket Error 104]
//
// Qt reports a socket failure as an error class, not as the operating
// system's number; Number gives the errno value that stands for each class,
// so the line keeps the number a user can look up.
class CSocketError {
  public:
    static int Number(QAbstractSocket::SocketError error);
    // "[%s: Socket Error %d]\n"
    static std::string Line(const std::string& portName, int number);
};
